#include "speed_band.hpp"

#include "band_colour.hpp"

#include <cmath>
#include <numbers>

namespace atlas {

namespace {

constexpr int samples_per_axis = 5;
constexpr double glow_width = 4.0;
constexpr double glow_opacity = 0.35;

// Angle clockwise from +x, in degrees, folded so the sweep is one interval.
double sweep_angle(double dx, double dy) {
    double a = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    if (a < 0)
        a += 360.0;
    if (a < 90.0)
        a += 360.0;
    return a;
}

// Opacity and colour of one sample point, relative to the region centre.
colour band_sample(double dx, double dy, const band_style& style) {
    const double angle = sweep_angle(dx, dy);
    if (angle < sweep_start_degrees || angle > sweep_end_degrees + style.overrun_degrees)
        return {0, 0, 0, 0};
    const double r = std::hypot(dx, dy);
    colour c = band_colour(angle);
    if (r >= band_inner_radius && r <= band_outer_radius) {
        // Brighter along the middle of the band, like a lit tube, and a
        // little darker at its edges.
        const double across = (r - band_inner_radius) / (band_outer_radius - band_inner_radius);
        const double shine = std::sin(across * std::numbers::pi);
        const double lift = 0.35 * std::pow(shine, 4);
        const double shade = 0.8 + 0.2 * shine;
        c.r = (c.r + (1 - c.r) * lift) * shade;
        c.g = (c.g + (1 - c.g) * lift) * shade;
        c.b = (c.b + (1 - c.b) * lift) * shade;
        c.a = style.brightness;
        return c;
    }
    if (!style.glow)
        return {0, 0, 0, 0};
    const double outside = r < band_inner_radius ? band_inner_radius - r : r - band_outer_radius;
    if (outside > glow_width)
        return {0, 0, 0, 0};
    const double fade = 1 - outside / glow_width;
    c.a = style.brightness * glow_opacity * fade * fade;
    return c;
}

} // namespace

void draw_speed_band(canvas& target, const region& where, const band_style& style) {
    // Computed on the canvas's own pixels, sampled in layout pixels.
    const double scale = target.scale();
    const double offset = target.pixel_offset();
    const double cx = where.width * 0.5;
    const double cy = where.height * 0.5;
    const int left = static_cast<int>(std::lround(where.left * scale));
    const int top = static_cast<int>(std::lround(where.top * scale));
    const int width = static_cast<int>(std::lround(where.width * scale));
    const int height = static_cast<int>(std::lround(where.height * scale));
    // One layout pixel of margin stays empty.
    const int margin = static_cast<int>(std::ceil(scale));
    for (int y = margin; y < height - margin; ++y) {
        for (int x = margin; x < width - margin; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < samples_per_axis; ++sy) {
                for (int sx = 0; sx < samples_per_axis; ++sx) {
                    const double px = (x + (sx + 0.5) / samples_per_axis - offset) / scale;
                    const double py = (y + (sy + 0.5) / samples_per_axis - offset) / scale;
                    const colour s = band_sample(px - cx, py - cy, style);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            }
            if (a <= 0)
                continue;
            constexpr double n = samples_per_axis * samples_per_axis;
            target.blend_pixel(left + x, top + y, {r / a, g / a, b / a, a / n});
        }
    }
}

} // namespace atlas
