#pragma once
// A skin's artwork as a player's paint program saves it: a PNG with alpha.
#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct png_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // rows top first, straight alpha
};

// The image, or an empty one with `why` set to one line for the skin maker:
// not a PNG, cut short or damaged, or without an alpha channel.
png_image read_png_with_alpha(const std::string& path, std::string& why);

} // namespace skin
