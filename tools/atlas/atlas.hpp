#pragma once
#include "canvas.hpp"

namespace atlas {

// Draws every sprite of the speedometer atlas onto a transparent canvas of
// the atlas's size. Throws std::runtime_error when a needed font is missing.
void draw_atlas(canvas& target);

} // namespace atlas
