#pragma once
#include "canvas.hpp"
#include "dial_scale.hpp"

namespace atlas {

// Draws every sprite of the speedometer atlas, with this scale on its dial
// face, onto a transparent canvas of the atlas's layout size (at any canvas
// scale). Throws std::runtime_error when a needed font is missing.
void draw_atlas(canvas& target, const dial_scale& dial);

} // namespace atlas
