#include "speedometer/needle_rotation.hpp"

#include "host/functions.hpp"
#include "speedometer/trig_tables.hpp"

#include <cmath>

namespace {

constexpr int quad_size = 4;

// The table entry whose rotation matrix turns by `angle`: the entry of
// 360 minus the angle's remainder, so a fractional angle turns by the next
// whole degree up. The remainder of a finite angle keeps this within
// [0, 360]; NaN and the infinities fall back to entry 0 inside table_index.
std::uint32_t turn_index(float angle) {
    auto remainder = static_cast<float>(std::fmod(static_cast<double>(angle), 360.0));
    if (remainder < 0.0f) {
        remainder = static_cast<float>(static_cast<double>(remainder) + 360.0);
    }
    return table_index(360.0f - remainder);
}

} // namespace

void rotate_quad(float pivot_x, float pivot_y, float angle) {
    const std::uint32_t k = turn_index(angle);
    const float cos_k = cos_table[k];
    const float sin_k = sin_table[k];

    screen_vertex* quad = host_quad_vertices();
    float x[quad_size];
    float y[quad_size];
    for (int i = 0; i < quad_size; ++i) {
        x[i] = quad[i].x;
        y[i] = quad[i].y;
    }
    for (int i = 0; i < quad_size; ++i) {
        const float dx = x[i] - pivot_x;
        const float dy = y[i] - pivot_y;
        x[i] = (dx * cos_k + pivot_x) + dy * sin_k;
        y[i] = (pivot_y - dx * sin_k) + dy * cos_k;
    }
    for (int i = 0; i < quad_size; ++i) {
        quad[i].x = x[i];
        quad[i].y = y[i];
    }
}
