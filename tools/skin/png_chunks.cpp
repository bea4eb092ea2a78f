#include "png_chunks.hpp"

#include <array>
#include <cstring>

namespace skin {

namespace {

std::uint32_t big_endian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

constexpr std::size_t signature_size = 8;
constexpr std::size_t header_data_size = 13;
// A chunk's length and type before its data, and its CRC after.
constexpr std::size_t chunk_frame_before = 8;
constexpr std::size_t chunk_frame_after = 4;

} // namespace

std::uint32_t png_crc(std::span<const std::uint8_t> bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const std::uint8_t b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return ~c;
}

bool image_data_sum_matches(std::span<const std::uint8_t> image_data,
                            std::span<const std::uint8_t> inflated) {
    if (image_data.size() < 4)
        return false;
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : inflated) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16 | a) == big_endian(&image_data[image_data.size() - 4]);
}

bool png_outline::has_alpha() const {
    return colour_type == 4 || colour_type == 6 ||
           (transparent_colour && (colour_type == 0 || colour_type == 2 || colour_type == 3));
}

png_outline_status read_png_outline(std::span<const std::uint8_t> bytes, png_outline& outline) {
    constexpr std::uint8_t signature[signature_size] = {0x89, 'P',  'N',  'G',
                                                        '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < signature_size || std::memcmp(bytes.data(), signature, signature_size) != 0)
        return png_outline_status::not_png;
    bool header_seen = false;
    for (std::size_t at = signature_size;;) {
        if (bytes.size() - at < chunk_frame_before)
            return png_outline_status::cut_short;
        const std::uint32_t length = big_endian(&bytes[at]);
        const std::uint8_t* type = &bytes[at + 4];
        const std::uint8_t* data = type + 4;
        if (length > bytes.size() - at - chunk_frame_before ||
            bytes.size() - at - chunk_frame_before - length < chunk_frame_after)
            return png_outline_status::cut_short;
        if (big_endian(data + length) != png_crc({type, length + 4})) {
            // A header that is no header says more than its checksum.
            if (!header_seen && (std::memcmp(type, "IHDR", 4) != 0 || length != header_data_size))
                return png_outline_status::no_header;
            std::memcpy(outline.damaged_chunk, type, 4);
            return png_outline_status::bad_checksum;
        }
        if (!header_seen) {
            // The header is the first chunk of every PNG.
            if (std::memcmp(type, "IHDR", 4) != 0 || length != header_data_size)
                return png_outline_status::no_header;
            outline.width = big_endian(data);
            outline.height = big_endian(data + 4);
            outline.colour_type = data[9];
            header_seen = true;
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            outline.transparent_colour = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            outline.image_data.insert(outline.image_data.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return png_outline_status::read;
        }
        at += chunk_frame_before + length + chunk_frame_after;
    }
}

} // namespace skin
