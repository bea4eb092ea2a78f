#pragma once
// What a PNG's chunks say before its pixels are decoded: the header's size
// and colour type, whether a tRNS chunk gives it transparency, and whether
// the file holds every chunk up to its end. stb_image decodes the pixels but
// tells neither of the last two.
#include <cstdint>
#include <span>
#include <string>

namespace skin {

struct png_outline {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colour_type = 0;             // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    bool transparent_colour = false; // a tRNS chunk
    bool has_alpha() const;
};

enum class png_outline_status { read, not_png, no_header, cut_short };

// The outline of the PNG in `bytes`, or why there is none.
png_outline_status read_png_outline(std::span<const std::uint8_t> bytes, png_outline& outline);

} // namespace skin
