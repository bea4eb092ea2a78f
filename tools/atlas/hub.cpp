#include "atlas_layout.hpp"
#include "sprites.hpp"

#include <numbers>

namespace atlas {

// A metal cap over the needle's pivot. The status sprite covers its middle,
// so what shows is a bevelled ring around it.
void draw_hub(canvas& target) {
    const region& r = hub_region;
    const double radius = r.width * 0.5 - neighbour_margin;
    cairo_t* cr = target.context();
    cairo_save(cr);
    cairo_translate(cr, r.centre_x(), r.centre_y());

    cairo_arc(cr, 0, 0, radius, 0, 2 * std::numbers::pi);
    cairo_set_source_rgba(cr, 0.02, 0.02, 0.03, 0.95);
    cairo_fill(cr);

    cairo_pattern_t* metal = cairo_pattern_create_linear(-radius, -radius, radius, radius);
    cairo_pattern_add_color_stop_rgb(metal, 0.0, 0.92, 0.93, 0.95);
    cairo_pattern_add_color_stop_rgb(metal, 0.45, 0.52, 0.54, 0.58);
    cairo_pattern_add_color_stop_rgb(metal, 1.0, 0.14, 0.15, 0.17);
    cairo_arc(cr, 0, 0, radius - 1.5, 0, 2 * std::numbers::pi);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);

    // Inner bevel, lit from the opposite side.
    cairo_pattern_t* bevel = cairo_pattern_create_linear(-radius, -radius, radius, radius);
    cairo_pattern_add_color_stop_rgb(bevel, 0.0, 0.20, 0.21, 0.23);
    cairo_pattern_add_color_stop_rgb(bevel, 1.0, 0.70, 0.72, 0.76);
    cairo_arc(cr, 0, 0, radius - 5, 0, 2 * std::numbers::pi);
    cairo_set_source(cr, bevel);
    cairo_fill(cr);
    cairo_pattern_destroy(bevel);

    cairo_arc(cr, 0, 0, radius - 7, 0, 2 * std::numbers::pi);
    cairo_set_source_rgb(cr, 0.12, 0.13, 0.14);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace atlas
