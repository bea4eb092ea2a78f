#include "atlas_layout.hpp"
#include "sprites.hpp"

namespace atlas {

namespace {

// In the needle's region: it stands straight up, and its pivot lies some 30
// pixels below the region, under the hub. The lower end is cut square and
// hidden by the hub, so the needle reads as running on into it.
constexpr double centre_x = needle_region.width * 0.5;
constexpr double tip_y = 9.0;
constexpr double tip_half_width = 1.3;
constexpr double base_y = needle_region.height - 1.0;
constexpr double base_half_width = 4.6;

void needle_outline(cairo_t* cr, double grow) {
    cairo_move_to(cr, centre_x - base_half_width - grow, base_y);
    cairo_line_to(cr, centre_x - tip_half_width - grow, tip_y);
    // Rounded tip.
    cairo_curve_to(cr, centre_x - tip_half_width - grow, tip_y - 2.5 - grow,
                   centre_x + tip_half_width + grow, tip_y - 2.5 - grow,
                   centre_x + tip_half_width + grow, tip_y);
    cairo_line_to(cr, centre_x + base_half_width + grow, base_y);
    cairo_close_path(cr);
}

} // namespace

void draw_needle(canvas& target) {
    cairo_t* cr = target.context();
    cairo_save(cr);
    cairo_translate(cr, needle_region.left, needle_region.top);
    cairo_rectangle(cr, 1, 1, needle_region.width - 2, needle_region.height - 2);
    cairo_clip(cr);

    // A dark rim keeps the needle visible over the red end of the band.
    needle_outline(cr, 1.1);
    cairo_set_source_rgba(cr, 0.05, 0.0, 0.0, 0.8);
    cairo_fill(cr);

    needle_outline(cr, 0);
    cairo_pattern_t* body =
        cairo_pattern_create_linear(centre_x - base_half_width, 0, centre_x + base_half_width, 0);
    cairo_pattern_add_color_stop_rgb(body, 0.0, 0.70, 0.10, 0.04);
    cairo_pattern_add_color_stop_rgb(body, 0.45, 1.00, 0.45, 0.20);
    cairo_pattern_add_color_stop_rgb(body, 0.55, 1.00, 0.36, 0.14);
    cairo_pattern_add_color_stop_rgb(body, 1.0, 0.62, 0.07, 0.03);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    // A light ridge down the middle.
    cairo_set_line_width(cr, 0.9);
    cairo_set_source_rgba(cr, 1.0, 0.85, 0.70, 0.75);
    cairo_move_to(cr, centre_x, tip_y + 3);
    cairo_line_to(cr, centre_x, base_y);
    cairo_stroke(cr);
    cairo_restore(cr);
}

} // namespace atlas
