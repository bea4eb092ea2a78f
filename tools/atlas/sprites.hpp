#pragma once
// Each sprite of the atlas, drawn inside its own region with one pixel of
// margin left empty, so bilinear filtering never picks up a neighbour.
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dial_scale.hpp"

namespace atlas {

// The face with the given speed scale, in the dial face's region or another.
void draw_dial_face(canvas& target, const dial_scale& scale,
                    const region& where = dial_face_region);
void draw_progress_band(canvas& target);
void draw_needle(canvas& target);
void draw_hub(canvas& target);
// Greyscale: the module tints it with the vehicle's status colour.
void draw_status_sprite(canvas& target);
// The status digits white: the module tints them. The speed digits white in a
// dark rim, or with coloured_speed_digits (the light face's look) deep orange;
// the module draws them with a white tint, which keeps their colour, and
// fades the leading zeros.
void draw_digit_strips(canvas& target, bool coloured_speed_digits = false);

} // namespace atlas
