#pragma once
// The atlas regions as the artwork tool works with them, from the layout the
// module draws from, plus the radii and sweep of the artwork itself.
#include "speedometer/atlas_layout.hpp"

#include <array>

namespace atlas {

// Layout pixels: the grid the module's texture coordinates are fractions of.
constexpr int atlas_width = atlas_layout::width;
constexpr int atlas_height = atlas_layout::height;
// The texture has this many of its pixels to each layout pixel, so a 291-pixel
// face is drawn with 582 and stays sharp when screens draw it twice as large.
constexpr int texture_scale = 2;
constexpr int texture_width = atlas_width * texture_scale;
constexpr int texture_height = atlas_height * texture_scale;

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

constexpr region region_of(const atlas_layout::pixel_rect& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

constexpr region dial_face_region = region_of(atlas_layout::dial_face);
constexpr region progress_band_region = region_of(atlas_layout::progress_arc);
constexpr region hub_region = region_of(atlas_layout::hub);
constexpr region needle_region = region_of(atlas_layout::needle);
constexpr region status_sprite_region = region_of(atlas_layout::status_sprite);

constexpr region digit_cell(const atlas_layout::digit_strip& strip, int digit) {
    const int left =
        digit == 0 ? strip.zero_left : strip.first_left + strip.cell_width * (digit - 1);
    return {left, strip.top, strip.cell_width, strip.bottom - strip.top};
}
constexpr region large_digit_cell(int digit) {
    return digit_cell(atlas_layout::large_digits, digit);
}
constexpr region small_digit_cell(int digit) {
    return digit_cell(atlas_layout::small_digits, digit);
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
// The same top of the sweep in miles per hour: the module shows 1.2 host
// speed units as 1.2 x 108.73996.
constexpr double mph_scale_top_speed = 130.488;

// Where the needle points at a speed on a scale that ends at top_speed.
constexpr double scale_angle(double speed, double top_speed) {
    return sweep_start_degrees + (sweep_end_degrees - sweep_start_degrees) * speed / top_speed;
}
constexpr double speed_angle(double speed) {
    return scale_angle(speed, scale_top_speed);
}

// Empty layout pixels a sprite keeps between its ink and an edge it shares
// with another sprite. The smaller mip levels blend texels across a region's
// edge: at 1280 x 720 and half scale the device samples levels 2 and 3, whose
// texels are 2 and 4 layout pixels wide, so ink closer than this to the edge
// would show as a faint fringe on its neighbour.
constexpr double neighbour_margin = 4.0;

// Radii shared by the dial face and the progress band, in atlas pixels from
// the centre of their 291-pixel squares. The band image is mapped onto the
// dial at the same scale, so equal radii line up on screen.
constexpr double bezel_outer_radius = 145.5 - neighbour_margin;
constexpr double bezel_inner_radius = 136.0;
constexpr double band_outer_radius = 131.0;
constexpr double band_inner_radius = 119.0;
constexpr double major_tick_inner_radius = 99.0;
constexpr double minor_tick_inner_radius = 106.0;
constexpr double tick_outer_radius = 115.0;
constexpr double label_radius = 84.0;

} // namespace atlas
