#include "display_fixture.hpp"

#include "speedometer/trig_tables.hpp"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace {

using trig_tables = display_test;

TEST_F(trig_tables, hold_exact_values_at_the_quarter_turns_and_thirty_degrees) {
    EXPECT_FLOAT_BITS(sin_table[0], 0.0f);
    EXPECT_FLOAT_BITS(cos_table[0], 1.0f);
    EXPECT_FLOAT_BITS(sin_table[30], 0.5f);
    EXPECT_FLOAT_BITS(sin_table[90], 1.0f);
    EXPECT_FLOAT_BITS(cos_table[180], -1.0f);
    EXPECT_FLOAT_BITS(sin_table[270], -1.0f);
}

TEST_F(trig_tables, take_the_angle_rounded_to_single_precision) {
    // The rounded angle misses the exact multiple of pi/2 or pi/3.
    EXPECT_FLOAT_EQ(sin_table[180], -8.742278e-8f);
    EXPECT_FLOAT_EQ(cos_table[90], -4.371139e-8f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(cos_table[60]), 0x3EFFFFFFu);
}

TEST_F(trig_tables, follow_sine_and_cosine_of_each_whole_degree) {
    for (std::uint32_t i = 0; i < trig_table_size; ++i) {
        const double radians = i * std::numbers::pi / 180.0;
        EXPECT_NEAR(sin_table[i], std::sin(radians), 1e-6) << i;
        EXPECT_NEAR(cos_table[i], std::cos(radians), 1e-6) << i;
    }
}

TEST_F(trig_tables, are_rebuilt_to_the_same_values) {
    const auto sines = sin_table;
    const auto cosines = cos_table;
    build_trig_tables();
    EXPECT_EQ(std::memcmp(sines.data(), sin_table.data(), sizeof sines), 0);
    EXPECT_EQ(std::memcmp(cosines.data(), cos_table.data(), sizeof cosines), 0);
}

TEST(table_index, truncates_to_whole_degrees_modulo_360) {
    EXPECT_EQ(table_index(0.0f), 0u);
    EXPECT_EQ(table_index(120.2f), 120u);
    EXPECT_EQ(table_index(359.99f), 359u);
    EXPECT_EQ(table_index(360.0f), 0u);
    EXPECT_EQ(table_index(725.5f), 5u);
    // The largest float below 2^32 still converts as an unsigned integer.
    EXPECT_EQ(table_index(4294967040.0f), 4294967040u % 360u);
}

TEST(table_index, stays_within_the_table_outside_the_unsigned_range) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(table_index(std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(table_index(infinity), 0u);
    EXPECT_EQ(table_index(-infinity), 0u);
    EXPECT_EQ(table_index(-0.0f), 0u);
    EXPECT_EQ(table_index(-0.5f), 0u);
    EXPECT_EQ(table_index(-30.5f), 330u);
    EXPECT_EQ(table_index(-360.0f), 0u);
    EXPECT_EQ(table_index(4294967296.0f), 256u); // 2^32 mod 360
    for (const float huge :
         {1e30f, -1e30f, std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest()}) {
        EXPECT_LT(table_index(huge), 360u) << huge;
    }
}

} // namespace
