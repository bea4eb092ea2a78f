#pragma once
// A skin's artwork as a player's paint program saves it: a PNG with alpha,
// or with a transparent colour (tRNS), which is alpha too.
#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct png_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // rows top first, straight alpha
};

// A skin at its largest, 4096x2048, is a few MB as a PNG: a file over this is
// refused before it is read.
inline constexpr std::uintmax_t max_png_file_bytes = 64u << 20;

// The image, or an empty one with `why` set to one line for the skin maker:
// cannot be opened, too large a file, not a PNG, cut short, a size no skin
// has (checked in the header, before any pixel is decoded), no transparency,
// or pixels that do not decode. `path` is UTF-8.
png_image read_png_with_alpha(const std::string& path, std::string& why);

} // namespace skin
