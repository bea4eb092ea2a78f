#pragma once
// The player's size and place for the gauge, applied to the layout's
// reference lengths before they are scaled to the screen. Sizes and distances
// from the right and bottom edges grow with the scale, so the gauge grows
// about the screen's lower-right corner; the offsets push it further in.
#include "settings/settings.hpp"

struct gauge_placement {
    float scale;
    float offset_x;
    float offset_y;

    // At scale 1 and offset 0 each of these gives its argument back, bit for
    // bit, so the default layout is the one without settings.
    float length(float reference) const { return reference * scale; }
    float from_right(float reference) const { return reference * scale + offset_x; }
    float from_bottom(float reference) const { return reference * scale + offset_y; }
};

// The place the player is trying in the layout mode (layout_mode.hpp); null
// while the mode is off.
extern const gauge_placement* placement_being_tried;

inline gauge_placement current_placement() {
    if (placement_being_tried != nullptr) {
        return *placement_being_tried;
    }
    return {active_settings.scale, active_settings.offset_x, active_settings.offset_y};
}
