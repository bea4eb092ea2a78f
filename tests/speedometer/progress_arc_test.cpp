#include "display_fixture.hpp"

#include "speedometer/progress_arc.hpp"
#include "speedometer/trig_tables.hpp"

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr float centre_x = 1711.0f;
constexpr float centre_y = 895.0f;
constexpr float radius_x = 145.0f;
constexpr float radius_y = 120.0f;

static_assert(arc_vertex_capacity == 123);

class progress_arc : public display_test {
  protected:
    // Draws the dial's arc and returns the vertices the host was given.
    static std::vector<screen_vertex> draw(float start, float end) {
        sim::clear_calls();
        draw_progress_arc(1024.0f, 512.0f, 291.0f, 0.0f, 291.0f, 291.0f, centre_x, centre_y,
                          radius_x, radius_y, start, end);
        const auto renders = sim::calls_of(sim::host_fn::render_2d);
        EXPECT_EQ(renders.size(), 1u);
        EXPECT_EQ(sim::calls().size(), 1u) << "the arc makes one host call";
        if (renders.empty()) {
            return {};
        }
        EXPECT_EQ(renders[0].args[0], 4u) << "drawn as a triangle strip";
        EXPECT_EQ(renders[0].args[1], std::bit_cast<std::uint32_t>(arc_vertices.data()));
        const auto batches = sim::render_batches();
        return batches.empty() ? std::vector<screen_vertex>{} : batches.back().vertices;
    }

    // Odd places hold rims, even places the centre.
    static void expect_rims(const std::vector<screen_vertex>& strip,
                            const std::vector<std::uint32_t>& table_entries) {
        ASSERT_EQ(strip.size(), 1 + 2 * table_entries.size());
        for (std::size_t i = 0; i < strip.size(); i += 2) {
            EXPECT_FLOAT_BITS(strip[i].x, centre_x) << "vertex " << i;
            EXPECT_FLOAT_BITS(strip[i].y, centre_y) << "vertex " << i;
        }
        for (std::size_t r = 0; r < table_entries.size(); ++r) {
            const screen_vertex& rim = strip[1 + 2 * r];
            const std::uint32_t k = table_entries[r];
            EXPECT_FLOAT_BITS(rim.x, cos_table[k] * radius_x + centre_x) << "rim " << r;
            EXPECT_FLOAT_BITS(rim.y, sin_table[k] * radius_y + centre_y) << "rim " << r;
        }
    }
};

TEST_F(progress_arc, steps_six_degrees_and_closes_at_the_end_angle) {
    expect_rims(draw(110.0f, 120.2f), {110, 116, 120});
    expect_rims(draw(110.0f, 140.0f), {110, 116, 122, 128, 134, 140});
}

TEST_F(progress_arc, sweeps_to_pointing_right_at_the_cap) {
    const auto strip = draw(110.0f, 360.0f);
    ASSERT_EQ(strip.size(), 87u);
    const screen_vertex& last_rim = strip[85];
    EXPECT_FLOAT_BITS(last_rim.x, centre_x + radius_x);
    EXPECT_FLOAT_BITS(last_rim.y, centre_y);
    EXPECT_FLOAT_BITS(strip[83].x, cos_table[356] * radius_x + centre_x);
}

TEST_F(progress_arc, always_draws_the_start_rim) {
    expect_rims(draw(110.0f, 100.0f), {110, 100});
    expect_rims(draw(110.0f, 110.0f), {110, 110});
}

TEST_F(progress_arc, stops_after_sixty_steps) {
    // Beyond start + 360 the closing pair is dropped, at start + 360 it is kept.
    const auto beyond = draw(110.0f, 470.5f);
    ASSERT_EQ(beyond.size(), 121u);
    EXPECT_FLOAT_BITS(beyond[119].x, cos_table[104] * radius_x + centre_x); // 464 degrees
    const auto full = draw(110.0f, 470.0f);
    ASSERT_EQ(full.size(), 123u);
    EXPECT_FLOAT_BITS(full[121].x, cos_table[110] * radius_x + centre_x);
}

TEST_F(progress_arc, maps_the_sector_onto_the_circle_inscribed_in_the_region) {
    const auto strip = draw(0.0f, 90.0f);
    ASSERT_EQ(strip.size(), 33u);
    for (const screen_vertex& vertex : strip) {
        EXPECT_FLOAT_BITS(vertex.z, 0.0f);
        EXPECT_FLOAT_BITS(vertex.rhw, 1.0f);
        EXPECT_EQ(vertex.colour, 0xFFFFFFFFu);
    }
    // The region's centre is atlas pixel (436.5, 145.5).
    EXPECT_FLOAT_BITS(strip[0].u, 0.42626953125f);
    EXPECT_FLOAT_BITS(strip[0].v, 0.2841796875f);
    // 0 degrees: the right edge of the region, (582, 145.5).
    EXPECT_FLOAT_BITS(strip[1].u, 0.568359375f);
    EXPECT_FLOAT_BITS(strip[1].v, 0.2841796875f);
    // 90 degrees: down, so the bottom of the region, (436.5, 291) up to rounding.
    EXPECT_NEAR(strip[31].u, 0.42626953125, 1e-6);
    EXPECT_FLOAT_BITS(strip[31].v, 0.568359375f);
    EXPECT_FLOAT_BITS(strip[31].y, centre_y + radius_y);
}

TEST_F(progress_arc, keeps_its_directions_in_the_table_for_angles_outside_the_unsigned_range) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    // A negative start wraps as a direction on the dial.
    expect_rims(draw(-30.0f, -20.0f), {330, 336, 340});
    // An end that compares false never closes: sixty steps, no closing pair.
    EXPECT_EQ(draw(110.0f, nan).size(), 121u);
    // A start angle that is not a number draws every rim pointing right.
    const auto lost = draw(nan, 200.0f);
    ASSERT_EQ(lost.size(), 121u);
    for (std::size_t r = 1; r < lost.size(); r += 2) {
        EXPECT_FLOAT_BITS(lost[r].x, centre_x + radius_x) << "vertex " << r;
    }
    for (const auto& [start, end] : {std::pair{-infinity, 0.0f}, std::pair{0.0f, infinity},
                                     std::pair{5e9f, 6e9f}, std::pair{-1e30f, 1e30f}}) {
        SCOPED_TRACE(testing::Message() << start << " to " << end);
        const auto strip = draw(start, end);
        ASSERT_LE(strip.size(), arc_vertex_capacity);
        for (std::size_t r = 1; r < strip.size(); r += 2) {
            const double across = (strip[r].x - centre_x) / radius_x;
            const double down = (strip[r].y - centre_y) / radius_y;
            EXPECT_NEAR(across * across + down * down, 1.0, 1e-5) << "vertex " << r;
        }
    }
}

} // namespace
