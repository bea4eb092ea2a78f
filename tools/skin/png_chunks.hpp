#pragma once
// What a PNG's chunks say before its pixels are decoded: the header's size
// and colour type, whether a tRNS chunk gives it transparency, whether the
// file holds every chunk up to its end, each chunk whole by its checksum,
// and the image data as one zlib stream. stb_image decodes the pixels but
// checks none of the last four: a byte changed in a copy would decode to a
// garbled picture.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace skin {

struct png_outline {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colour_type = 0;                  // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    bool transparent_colour = false;      // a tRNS chunk
    char damaged_chunk[5] = {};           // for bad_checksum: the first chunk's type that fails
    std::vector<std::uint8_t> image_data; // the IDAT chunks' data, joined
    bool has_alpha() const;
};

enum class png_outline_status { read, not_png, no_header, cut_short, bad_checksum };

// The CRC-32 a PNG chunk ends in, over its type and data.
std::uint32_t png_crc(std::span<const std::uint8_t> bytes);

// Whether `inflated` is what the image data's zlib stream says it holds: its
// Adler-32, the stream's last four bytes.
bool image_data_sum_matches(std::span<const std::uint8_t> image_data,
                            std::span<const std::uint8_t> inflated);

// The outline of the PNG in `bytes`, or why there is none.
png_outline_status read_png_outline(std::span<const std::uint8_t> bytes, png_outline& outline);

} // namespace skin
