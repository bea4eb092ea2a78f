#include "atlas.hpp"

#include "sprites.hpp"

namespace atlas {

void draw_atlas(canvas& target) {
    draw_dial_face(target);
    draw_progress_band(target);
    draw_needle(target);
    draw_hub(target);
    draw_status_sprite(target);
    draw_digit_strips(target);
    draw_dial_face_mph(target);
}

} // namespace atlas
