#pragma once
// What a skin maker should look at again before shipping: sprites with no ink
// at all, and ink so close to a neighbour's rectangle that the smaller mip
// levels carry it into that sprite's quad.
#include <cstdint>
#include <string>
#include <vector>

namespace skin {

// One line a warning, each naming the sprite. The bleed rule is the shipped
// atlas's: at every level whose texels are at most the margin wide (levels 1
// to 3 at 2048 by 1024), a sprite's ink alone, box-filtered down the chain and
// sampled bilinearly anywhere on a neighbour's outline, must stay at or below
// 8 of 255 in alpha.
std::vector<std::string> skin_warnings(int width, int height,
                                       const std::vector<std::uint8_t>& rgba);

} // namespace skin
