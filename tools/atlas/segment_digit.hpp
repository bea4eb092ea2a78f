#pragma once
#include <cairo.h>

namespace atlas {

// Shape of a slanted seven-segment digit: the box is the upright digit
// before slanting; the slant moves its top to the right.
struct segment_style {
    double width;
    double height;
    double thickness;
    double gap;
    double slant; // horizontal shift per unit of height
};

// Adds the digit's segments to the current path, the box's left-top at (x, y).
void segment_digit_path(cairo_t* cr, int digit, double x, double y, const segment_style& style);

// Full width of the slanted digit.
double segment_digit_extent(const segment_style& style);

} // namespace atlas
