#pragma once
// Each sprite of the atlas, drawn inside its own region with one pixel of
// margin left empty, so bilinear filtering never picks up a neighbour.
#include "canvas.hpp"

namespace atlas {

void draw_dial_face(canvas& target);
// The same face with a miles-per-hour scale, smaller, in its own region.
void draw_dial_face_mph(canvas& target);
void draw_progress_band(canvas& target);
void draw_needle(canvas& target);
void draw_hub(canvas& target);
// Greyscale: the module tints it with the vehicle's status colour.
void draw_status_sprite(canvas& target);
// White: the module tints and fades the digits.
void draw_digit_strips(canvas& target);

} // namespace atlas
