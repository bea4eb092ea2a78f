#include "speedometer/trig_tables.hpp"

#include <bit>
#include <cmath>

std::array<float, trig_table_size> sin_table{};
std::array<float, trig_table_size> cos_table{};

namespace {

// The single-precision value nearest to pi / 180. The angle is rounded to
// single precision before its sine is taken, which is why cos_table[90] is a
// tiny negative number rather than 0.
constexpr float radians_per_degree = std::bit_cast<float>(0x3C8EFA35u);

// 2^32: the first value an unsigned 32-bit integer cannot hold.
constexpr float unsigned_range_end = 4294967296.0f;

} // namespace

void build_trig_tables() {
    for (std::uint32_t i = 0; i < trig_table_size; ++i) {
        const float radians = static_cast<float>(i) * radians_per_degree;
        sin_table[i] = static_cast<float>(std::sin(static_cast<double>(radians)));
        cos_table[i] = static_cast<float>(std::cos(static_cast<double>(radians)));
    }
}

std::uint32_t table_index(float degrees) {
    if (degrees >= 0.0f && degrees < unsigned_range_end) {
        return static_cast<std::uint32_t>(degrees) % trig_table_size;
    }
    // Outside the unsigned range the conversion would be undefined. The
    // remainder lies within (-360, 360), where truncating is safe.
    const double remainder = std::fmod(static_cast<double>(degrees), 360.0);
    if (std::isnan(remainder)) {
        return 0;
    }
    const auto whole = static_cast<std::int32_t>(remainder);
    return static_cast<std::uint32_t>(whole < 0 ? whole + 360 : whole);
}
