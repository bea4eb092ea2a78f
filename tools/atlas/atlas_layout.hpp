#pragma once
// Where each sprite lives in the speedometer atlas, in atlas pixels. The
// module's drawing code holds the same numbers as texture coordinates.
#include <array>

namespace atlas {

constexpr int atlas_width = 1024;
constexpr int atlas_height = 512;

struct region {
    int left;
    int top;
    int width;
    int height;

    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    constexpr double centre_x() const { return left + width * 0.5; }
    constexpr double centre_y() const { return top + height * 0.5; }
};

constexpr region dial_face_region{0, 0, 291, 291};
constexpr region progress_band_region{291, 0, 291, 291};
constexpr region hub_region{582, 0, 76, 76};
constexpr region needle_region{658, 0, 16, 118};
constexpr region status_sprite_region{582, 76, 58, 58};

// Digit cells run 1 to 9, then 0.
constexpr region large_digit_cell(int digit) {
    return {digit == 0 ? 900 : 100 * (digit - 1), 291, 100, 160};
}
constexpr region small_digit_cell(int digit) {
    return {digit == 0 ? 978 : 582 + 44 * (digit - 1), 134, 44, 56};
}

// Every region, for checks that sprites stay inside their own.
inline std::array<region, 25> all_regions() {
    std::array<region, 25> regions{dial_face_region, progress_band_region, hub_region,
                                   needle_region, status_sprite_region};
    for (int d = 0; d < 10; ++d) {
        regions[5 + d] = large_digit_cell(d);
        regions[15 + d] = small_digit_cell(d);
    }
    return regions;
}

// The needle's sweep: angles in degrees, clockwise on screen from +x.
constexpr double sweep_start_degrees = 120.0;
constexpr double sweep_end_degrees = 360.0;
constexpr int scale_top_speed = 210;

constexpr double speed_angle(double speed) {
    return sweep_start_degrees +
           (sweep_end_degrees - sweep_start_degrees) * speed / scale_top_speed;
}

// Radii shared by the dial face and the progress band, in atlas pixels from
// the centre of their 291-pixel squares. The band image is mapped onto the
// dial at the same scale, so equal radii line up on screen.
constexpr double bezel_outer_radius = 143.5;
constexpr double bezel_inner_radius = 136.0;
constexpr double band_outer_radius = 131.0;
constexpr double band_inner_radius = 119.0;
constexpr double major_tick_inner_radius = 99.0;
constexpr double minor_tick_inner_radius = 106.0;
constexpr double tick_outer_radius = 115.0;
constexpr double label_radius = 84.0;

} // namespace atlas
