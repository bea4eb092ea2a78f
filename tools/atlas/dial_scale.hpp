#pragma once
// The speed scale printed on a dial face: where its ticks and labels go.
#include "atlas_layout.hpp"

#include <vector>

namespace atlas {

struct dial_scale {
    double top_speed; // the speed at the end of the sweep
    int major_step;   // labelled ticks
    int minor_step;   // plain ticks; half-steps get short ticks
    // The example skin's look: a light face with dark ticks and labels.
    bool light_face = false;
};

constexpr dial_scale kmh_dial{scale_top_speed, 30, 10};
constexpr dial_scale mph_dial{mph_scale_top_speed, 20, 10};

// A label and the point its ink is centred on, in atlas pixels from the
// centre of a full-size (291-pixel) face.
struct dial_label {
    int speed;
    double x;
    double y;
};

std::vector<dial_label> dial_labels(const dial_scale& scale);

} // namespace atlas
