#pragma once
// The smaller copies of a texture that the device samples when it draws the
// texture smaller than its size.
#include <cstdint>
#include <vector>

namespace txd {

// Every level below the full size, down to 1 by 1, for straight-alpha R, G,
// B, A pixels of width by height. Each level is a 2 by 2 box filter of the
// one above on premultiplied colour (kept unrounded down the chain), turned
// back into straight alpha: a transparent pixel's colour counts for nothing,
// so sprite edges neither darken nor take on their background's colour.
std::vector<std::vector<std::uint8_t>> make_mip_levels(int width, int height,
                                                       const std::vector<std::uint8_t>& rgba);

} // namespace txd
