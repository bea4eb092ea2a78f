#include "display_fixture.hpp"

#include "speedometer/readout.hpp"

#include <vector>

namespace {

using readout = display_test;

// Atlas regions of the digit cells, in the order 1 to 9 followed by 0.
std::array<float, 8> large_cell(int digit) {
    const int left = digit == 0 ? 900 : 100 * (digit - 1);
    return atlas_uv(left, 291, left + 100, 451);
}

std::array<float, 8> small_cell(int digit) {
    const int left = digit == 0 ? 978 : 582 + 44 * (digit - 1);
    return atlas_uv(left, 134, left + 44, 190);
}

struct shown {
    int digit;
    int alpha;
};

// Draws a number at (10.5, 20), digits 63 by 100.8, 52 apart, and checks
// the three quads.
void expect_number(std::uint32_t value, const std::array<shown, 3>& expected) {
    SCOPED_TRACE(value);
    sim::clear_calls();
    draw_readout_number(value, 10.5f, 20.0f, 63.0f, 100.8f, 52.0f);
    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 3u);
    const float lefts[3] = {10.5f, 62.5f, 114.5f};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        expect_colour(quads[i].colour, 255, 255, 255, expected[i].alpha);
        expect_uv(quads[i].uv, large_cell(expected[i].digit));
        expect_rect(quads[i].rect, lefts[i], 20.0f, lefts[i] + 63.0f, 20.0f + 100.8f);
    }
}

TEST_F(readout, dims_leading_zeros_only) {
    expect_number(0, {{{0, 30}, {0, 30}, {0, 30}}});
    expect_number(7, {{{0, 30}, {0, 30}, {7, 255}}});
    expect_number(50, {{{0, 30}, {5, 255}, {0, 255}}});
    expect_number(99, {{{0, 30}, {9, 255}, {9, 255}}});
    expect_number(100, {{{1, 255}, {0, 255}, {0, 255}}});
    expect_number(210, {{{2, 255}, {1, 255}, {0, 255}}});
}

TEST_F(readout, shows_the_last_three_digits_of_large_values) {
    expect_number(1234, {{{2, 255}, {3, 255}, {4, 255}}});
    expect_number(1000, {{{0, 255}, {0, 255}, {0, 255}}});
    expect_number(4294967295u, {{{2, 255}, {9, 255}, {5, 255}}});
}

TEST_F(readout, places_the_third_digit_two_advances_along) {
    // x + (advance + advance), not (x + advance) + advance: they differ here.
    // 1 + 16777218 rounds to 16777220; the other order would end at 33554440.
    draw_readout_number(7, 1.0f, 0.0f, 1.0f, 1.0f, 16777218.0f);
    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_FLOAT_BITS(quads[1].rect.left, 16777220.0f);
    EXPECT_FLOAT_BITS(quads[2].rect.left, 33554436.0f);
}

TEST_F(readout, takes_each_large_digit_from_its_cell) {
    for (std::uint32_t digit = 0; digit <= 9; ++digit) {
        draw_readout_digit(digit, 200, 1.0f, 2.0f, 3.0f, 4.0f);
    }
    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 10u);
    for (int digit = 0; digit <= 9; ++digit) {
        SCOPED_TRACE(digit);
        expect_uv(quads[digit].uv, large_cell(digit));
        expect_colour(quads[digit].colour, 255, 255, 255, 200);
        expect_rect(quads[digit].rect, 1.0f, 2.0f, 4.0f, 6.0f);
    }
    EXPECT_FLOAT_BITS(quads[0].uv[0], 0.87890625f);
    EXPECT_FLOAT_BITS(quads[0].uv[2], 0.9765625f);
    EXPECT_FLOAT_BITS(quads[1].uv[0], 0.0f);
    EXPECT_FLOAT_BITS(quads[1].uv[2], 0.09765625f);
    EXPECT_FLOAT_BITS(quads[1].uv[1], 0.568359375f);
    EXPECT_FLOAT_BITS(quads[1].uv[5], 0.880859375f);
}

TEST_F(readout, takes_each_status_digit_from_its_cell_in_the_status_colour) {
    for (std::uint32_t digit = 0; digit <= 9; ++digit) {
        draw_status_digit(digit, 12, 34, 56, 5.0f, 6.0f, 28.0f, 36.0f);
    }
    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 10u);
    for (int digit = 0; digit <= 9; ++digit) {
        SCOPED_TRACE(digit);
        expect_uv(quads[digit].uv, small_cell(digit));
        expect_colour(quads[digit].colour, 12, 34, 56, 255);
        expect_rect(quads[digit].rect, 5.0f, 6.0f, 33.0f, 42.0f);
    }
    EXPECT_FLOAT_BITS(quads[0].uv[0], 0.955078125f);
    EXPECT_FLOAT_BITS(quads[0].uv[2], 0.998046875f);
    EXPECT_FLOAT_BITS(quads[9].uv[0], 0.912109375f);
    EXPECT_FLOAT_BITS(quads[9].uv[2], 0.955078125f);
    EXPECT_FLOAT_BITS(quads[9].uv[1], 0.26171875f);
    EXPECT_FLOAT_BITS(quads[9].uv[5], 0.37109375f);
}

TEST_F(readout, fills_colour_then_rectangle_then_quad_then_renders) {
    draw_status_digit(3, 1, 2, 3, 0.0f, 0.0f, 1.0f, 1.0f);
    using sim::host_fn;
    EXPECT_EQ(logged_functions(), (std::vector{host_fn::make_color, host_fn::make_rect,
                                               host_fn::draw_textured_quad, host_fn::render_2d}));
}

} // namespace
