#pragma once
#include <cairo.h>

namespace atlas {

// Selects DejaVu Sans Bold for the dial's labels. fontconfig quietly
// substitutes another face when the requested one is missing, so this checks
// the face actually chosen and throws std::runtime_error when it is not the one
// asked for: the artwork must not change with whatever fonts a machine has.
void select_label_font(cairo_t* cr, double size);

} // namespace atlas
