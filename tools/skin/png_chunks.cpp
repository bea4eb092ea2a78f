#include "png_chunks.hpp"

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
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return png_outline_status::read;
        }
        at += chunk_frame_before + length + chunk_frame_after;
    }
}

} // namespace skin
