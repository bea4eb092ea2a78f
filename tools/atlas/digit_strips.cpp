#include "atlas_layout.hpp"
#include "segment_digit.hpp"
#include "sprites.hpp"

namespace atlas {

namespace {

// The speed number is drawn 63 wide from each 100-pixel cell with 52 between
// cells, so neighbouring cells overlap on screen: the digit, outline
// included, keeps to the middle 80 pixels of its cell.
constexpr segment_style large_style{56.0, 132.0, 13.0, 1.6, 0.125};
constexpr double large_outline = 2.5;
constexpr segment_style small_style{22.0, 42.0, 5.5, 0.8, 0.125};

// Centres the slanted digit in its cell.
void digit_in_cell(cairo_t* cr, int digit, const region& cell, const segment_style& style) {
    const double x = cell.left + (cell.width - segment_digit_extent(style)) / 2;
    const double y = cell.top + (cell.height - style.height) / 2;
    segment_digit_path(cr, digit, x, y, style);
}

} // namespace

void draw_digit_strips(canvas& target, bool coloured_speed_digits) {
    cairo_t* cr = target.context();
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int digit = 0; digit < 10; ++digit) {
        // The speed number floats over the game scene, and at its left over
        // the face: a dark rim keeps it legible on bright ground. White ink
        // reads on the dark face; over the light face it is lost, so that
        // look has a deep orange, which reads on the face and on dark ground
        // alike. The game's white tint keeps either colour.
        const region large = large_digit_cell(digit);
        digit_in_cell(cr, digit, large, large_style);
        cairo_set_line_width(cr, 2 * large_outline);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
        cairo_stroke_preserve(cr);
        if (coloured_speed_digits)
            cairo_set_source_rgb(cr, 0.92, 0.30, 0.04);
        else
            cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);

        digit_in_cell(cr, digit, small_digit_cell(digit), small_style);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

} // namespace atlas
