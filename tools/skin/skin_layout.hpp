#pragma once
// Where each sprite of a skin goes: the module's own layout, named for skin
// makers, at any of the sizes a skin may have.
#include "speedometer/atlas_layout.hpp"

#include <string>
#include <vector>

namespace skin {

struct named_sprite {
    std::string name;
    atlas_layout::pixel_rect rect; // layout pixels of the 1024 by 512 grid
};

// Dial face, progress arc, needle, hub, status light, and each digit cell.
std::vector<named_sprite> layout_sprites();

// Empty layout pixels a sprite keeps between its ink and an edge it shares
// with another sprite, as the shipped artwork does.
inline constexpr int neighbour_margin = 4;

// A skin's size: 2:1, power-of-two sides from 512 by 256 to 4096 by 2048.
bool allowed_size(int width, int height);

} // namespace skin
