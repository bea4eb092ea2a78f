#include "atlas_layout.hpp"
#include "speed_band.hpp"
#include "sprites.hpp"

namespace atlas {

// The module reveals wedges of this image, from the dial's centre out to the
// region's inscribed circle, at the scale of the dial face: the lit band
// lands exactly on the dial's unlit track. Everything inside the band stays
// transparent, so the dial's ticks and labels show through.
void draw_progress_band(canvas& target) {
    // The band runs a little past the top of the sweep: the arc ends there
    // with a straight cut, which filtering must not soften.
    constexpr band_style lit{1.0, true, 4.0};
    draw_speed_band(target, progress_band_region, lit);
}

} // namespace atlas
