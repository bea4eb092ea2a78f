#include "atlas.hpp"

#include "sprites.hpp"

namespace atlas {

void draw_atlas(canvas& target, const dial_scale& dial) {
    draw_dial_face(target, dial);
    draw_progress_band(target);
    draw_needle(target);
    draw_hub(target);
    draw_status_sprite(target);
    draw_digit_strips(target, dial.light_face);
}

} // namespace atlas
