#include "display_fixture.hpp"

#include "host/functions.hpp"
#include "speedometer/needle_rotation.hpp"
#include "speedometer/trig_tables.hpp"

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr float pivot_x = 100.0f;
constexpr float pivot_y = 200.0f;

// Offsets of the four corners from the pivot, in screen pixels (y down).
constexpr float corners[4][2] = {{1.0f, 0.0f}, {0.0f, -1.0f}, {10.0f, 5.0f}, {-9.5f, -19.75f}};

class rotate_quad_test : public display_test {
  protected:
    void SetUp() override {
        display_test::SetUp();
        place_corners();
    }

    static void place_corners() {
        screen_vertex* quad = host_quad_vertices();
        for (int i = 0; i < 4; ++i) {
            quad[i] = {pivot_x + corners[i][0],
                       pivot_y + corners[i][1],
                       0.25f,
                       0.5f,
                       0x80402010u + i,
                       0.125f * i,
                       0.0625f * i};
        }
    }

    // Turns the corners and returns them.
    static std::array<screen_vertex, 4> turned(float angle) {
        place_corners();
        rotate_quad(pivot_x, pivot_y, angle);
        const screen_vertex* quad = host_quad_vertices();
        return {quad[0], quad[1], quad[2], quad[3]};
    }

    static void expect_same_positions(const std::array<screen_vertex, 4>& actual,
                                      const std::array<screen_vertex, 4>& expected) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_BITS(actual[i].x, expected[i].x) << "corner " << i;
            EXPECT_FLOAT_BITS(actual[i].y, expected[i].y) << "corner " << i;
        }
    }

    // Corner i after a clockwise turn by `degrees`, computed in double.
    static void expect_turned_by(const std::array<screen_vertex, 4>& actual, double degrees) {
        const double a = degrees * std::numbers::pi / 180.0;
        for (int i = 0; i < 4; ++i) {
            const double dx = corners[i][0];
            const double dy = corners[i][1];
            EXPECT_NEAR(actual[i].x, pivot_x + dx * std::cos(a) - dy * std::sin(a), 1e-4)
                << "corner " << i << " turned by " << degrees;
            EXPECT_NEAR(actual[i].y, pivot_y + dx * std::sin(a) + dy * std::cos(a), 1e-4)
                << "corner " << i << " turned by " << degrees;
        }
    }
};

TEST_F(rotate_quad_test, leaves_whole_turns_in_place) {
    const screen_vertex* quad = host_quad_vertices();
    const std::array<screen_vertex, 4> original{quad[0], quad[1], quad[2], quad[3]};
    for (const float angle : {0.0f, 360.0f, 720.0f, -360.0f, 359.5f}) {
        SCOPED_TRACE(angle);
        expect_same_positions(turned(angle), original);
    }
}

TEST_F(rotate_quad_test, turns_clockwise_on_the_screen) {
    const auto quarter = turned(90.0f);
    // One pixel right of the pivot goes to one pixel below it; one above, to the right.
    EXPECT_FLOAT_BITS(quarter[0].x, pivot_x);
    EXPECT_FLOAT_BITS(quarter[0].y, pivot_y + 1.0f);
    EXPECT_FLOAT_BITS(quarter[1].x, pivot_x + 1.0f);
    EXPECT_FLOAT_BITS(quarter[1].y, pivot_y);
    expect_turned_by(quarter, 90.0);
    expect_same_positions(turned(450.0f), quarter);
}

TEST_F(rotate_quad_test, turns_negative_angles_anticlockwise) {
    const auto back = turned(-30.0f);
    expect_turned_by(back, -30.0);
    expect_same_positions(back, turned(330.0f));
}

TEST_F(rotate_quad_test, rounds_fractional_angles_up_to_the_next_whole_degree) {
    const auto turn = turned(210.4f);
    expect_turned_by(turn, 211.0);
    expect_same_positions(turn, turned(211.0f));
    expect_turned_by(turned(-0.5f), 0.0);
}

TEST_F(rotate_quad_test, points_the_resting_needle_down_and_left) {
    // The needle sprite stands pointing up (270 degrees); at rest it is turned by 210.
    place_corners();
    host_quad_vertices()[0].x = pivot_x;
    host_quad_vertices()[0].y = pivot_y - 100.0f;
    rotate_quad(pivot_x, pivot_y, 210.0f);
    const screen_vertex tip = host_quad_vertices()[0];
    EXPECT_NEAR(tip.x, pivot_x + 100.0 * std::cos(120.0 * std::numbers::pi / 180.0), 1e-4);
    EXPECT_NEAR(tip.y, pivot_y + 100.0 * std::sin(120.0 * std::numbers::pi / 180.0), 1e-4);
}

TEST_F(rotate_quad_test, computes_each_corner_in_single_precision_in_a_fixed_order) {
    // Angle 330 uses table entry 30.
    const float cos_k = cos_table[30];
    const float sin_k = sin_table[30];
    const auto turn = turned(330.0f);
    for (int i = 0; i < 4; ++i) {
        volatile float dx = corners[i][0] + pivot_x - pivot_x;
        volatile float dy = corners[i][1] + pivot_y - pivot_y;
        volatile float x = dx * cos_k;
        x = x + pivot_x;
        volatile float x_tail = dy * sin_k;
        x = x + x_tail;
        volatile float y = dx * sin_k;
        y = pivot_y - y;
        volatile float y_tail = dy * cos_k;
        y = y + y_tail;
        EXPECT_FLOAT_BITS(turn[i].x, x) << "corner " << i;
        EXPECT_FLOAT_BITS(turn[i].y, y) << "corner " << i;
    }
}

TEST_F(rotate_quad_test, changes_nothing_but_positions) {
    rotate_quad(pivot_x, pivot_y, 123.0f);
    const screen_vertex* quad = host_quad_vertices();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_BITS(quad[i].z, 0.25f);
        EXPECT_FLOAT_BITS(quad[i].rhw, 0.5f);
        EXPECT_EQ(quad[i].colour, 0x80402010u + i);
        EXPECT_FLOAT_BITS(quad[i].u, 0.125f * i);
        EXPECT_FLOAT_BITS(quad[i].v, 0.0625f * i);
    }
    EXPECT_TRUE(sim::calls().empty()) << "rotate_quad asked the host for something";
}

TEST_F(rotate_quad_test, leaves_the_quad_unturned_for_angles_that_are_not_finite) {
    const auto unturned = turned(0.0f);
    constexpr float infinity = std::numeric_limits<float>::infinity();
    for (const float angle : {std::numeric_limits<float>::quiet_NaN(), infinity, -infinity}) {
        SCOPED_TRACE(angle);
        expect_same_positions(turned(angle), unturned);
    }
}

TEST_F(rotate_quad_test, turns_huge_angles_by_their_remainder) {
    // 1e30f is a whole number, and so is its remainder by 360.
    const double remainder = std::fmod(static_cast<double>(1e30f), 360.0);
    expect_turned_by(turned(1e30f), remainder);
    expect_turned_by(turned(-1e30f), 360.0 - remainder);
}

} // namespace
