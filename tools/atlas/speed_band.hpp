#pragma once
#include "atlas_layout.hpp"
#include "canvas.hpp"

namespace atlas {

struct band_style {
    double brightness;      // scales the opacity
    bool glow;              // a soft halo on both edges
    double overrun_degrees; // how far the band runs on past the top of the sweep
};

// The ring between the band radii over the needle's sweep, coloured by
// band_colour, centred in the region. The dial carries a faint copy as the
// unlit track, the progress band the full one. Drawn pixel by pixel because
// the colour follows the angle, which cairo's gradients cannot do.
void draw_speed_band(canvas& target, const region& where, const band_style& style);

} // namespace atlas
