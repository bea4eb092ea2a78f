#pragma once
// Where the gauge's corner stands across the screen. On a screen wider than
// 16:9 (21:9, 32:9, three screens side by side) the screen's own corner is at
// the far edge or behind a bezel, out of sight; players want the gauge within
// the centred 16:9 (or 4:3) area, in front of them.
#include "settings/settings.hpp"

#include <cstdint>

// The x of the right edge the gauge is placed from: the screen's right edge
// for screen_anchor::screen, and for a screen no wider than the anchor's
// shape; otherwise the right edge of the centred area of that shape, the
// full height high, on whole pixels. Exactly static_cast<float>(width) for
// the screen's corner, so that the default draws as without the setting.
// Every frame: a few integer operations, no allocation.
inline float anchored_right_edge(std::int32_t width, std::int32_t height, screen_anchor anchor) {
    if (anchor == screen_anchor::screen || width <= 0 || height <= 0) {
        return static_cast<float>(width);
    }
    const std::int64_t across = anchor == screen_anchor::wide_16_9 ? 16 : 4;
    const std::int64_t down = anchor == screen_anchor::wide_16_9 ? 9 : 3;
    // Wider than the shape, compared exactly: a screen of the shape itself
    // keeps its corner.
    if (std::int64_t{width} * down <= std::int64_t{height} * across) {
        return static_cast<float>(width);
    }
    const std::int64_t area = std::int64_t{height} * across / down;
    const std::int64_t margin = (width - area) / 2; // the left one takes an odd pixel
    return static_cast<float>(width - margin);
}
