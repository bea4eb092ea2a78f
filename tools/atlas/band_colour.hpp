#pragma once
#include "canvas.hpp"

namespace atlas {

// The colour scale of the speed band: green at rest, through yellow, to red
// at the top of the sweep. Angles outside the sweep take the nearest end.
colour band_colour(double angle_degrees);

} // namespace atlas
