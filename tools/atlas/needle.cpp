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

// The ridge must fall on an edge of the texture's 4 by 4 blocks.
static_assert(needle_region.left * texture_scale % 4 == 0);
static_assert(needle_region.width * texture_scale % 8 == 0);

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

    // Two flat faces, lit and shaded, meeting in a ridge down the middle. The
    // middle is a 4-pixel block edge of the texture (the region starts on
    // one), so every block of the compressed needle holds one face's colour
    // between the rim's dark and nothing: colours a block's two end points
    // carry without smearing. A gradient across the width or a thin bright
    // line would not survive the blocks.
    const double halves[2][2] = {{0, centre_x}, {centre_x, needle_region.width}};
    const colour faces[2] = {{1.00, 0.42, 0.17, 1}, {0.76, 0.12, 0.05, 1}};
    for (int side = 0; side < 2; ++side) {
        cairo_save(cr);
        cairo_rectangle(cr, halves[side][0], 0, halves[side][1] - halves[side][0],
                        needle_region.height);
        cairo_clip(cr);
        needle_outline(cr, 0);
        cairo_set_source_rgba(cr, faces[side].r, faces[side].g, faces[side].b, faces[side].a);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

} // namespace atlas
