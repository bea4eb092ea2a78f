#include "atlas_layout.hpp"
#include "sprites.hpp"

#include <numbers>

namespace atlas {

// A lens: a bright ring around a dark disc. The module tints it with the
// status colour and draws the status digit, in the same colour, on the dark
// middle, so everything here is grey: white takes the tint fully, black none.
void draw_status_sprite(canvas& target) {
    const region& r = status_sprite_region;
    const double outer = r.width * 0.5 - neighbour_margin;
    const double ring = 4.0;
    cairo_t* cr = target.context();
    cairo_save(cr);
    cairo_translate(cr, r.centre_x(), r.centre_y());

    cairo_arc(cr, 0, 0, outer, 0, 2 * std::numbers::pi);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);

    cairo_arc(cr, 0, 0, outer - ring, 0, 2 * std::numbers::pi);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    cairo_fill(cr);

    // A faint tinted sheen across the top of the lens.
    cairo_pattern_t* sheen = cairo_pattern_create_radial(0, -outer, 2, 0, -outer * 0.2, outer);
    cairo_pattern_add_color_stop_rgba(sheen, 0.0, 1, 1, 1, 0.30);
    cairo_pattern_add_color_stop_rgba(sheen, 1.0, 1, 1, 1, 0.0);
    cairo_arc(cr, 0, 0, outer - ring, 0, 2 * std::numbers::pi);
    cairo_set_source(cr, sheen);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);

    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_arc(cr, 0, 0, outer - ring - 2.5, 0, 2 * std::numbers::pi);
    cairo_stroke(cr);
    cairo_restore(cr);
}

} // namespace atlas
