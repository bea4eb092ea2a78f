#include "band_colour.hpp"

#include "atlas_layout.hpp"

#include <algorithm>
#include <array>

namespace atlas {

namespace {

struct stop {
    double at;
    colour c;
};

constexpr std::array<stop, 4> stops{{
    {0.00, {0.16, 0.86, 0.35, 1}},
    {0.45, {0.98, 0.86, 0.14, 1}},
    {0.72, {1.00, 0.55, 0.10, 1}},
    {1.00, {0.96, 0.13, 0.13, 1}},
}};

double mix(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace

colour band_colour(double angle_degrees) {
    const double t = std::clamp((angle_degrees - sweep_start_degrees) /
                                    (sweep_end_degrees - sweep_start_degrees),
                                0.0, 1.0);
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const auto& lo = stops[i - 1];
            const auto& hi = stops[i];
            const double f = (t - lo.at) / (hi.at - lo.at);
            return {mix(lo.c.r, hi.c.r, f), mix(lo.c.g, hi.c.g, f), mix(lo.c.b, hi.c.b, f), 1};
        }
    }
    return stops.back().c;
}

} // namespace atlas
