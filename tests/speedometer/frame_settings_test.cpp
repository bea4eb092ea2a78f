// The frame under the player's settings: miles per hour, size and place, and
// the HUD text shift that follows the gauge.
#include "display_fixture.hpp"

#include "settings/settings.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/text_shift.hpp"

#include <cmath>
#include <cstring>

namespace {

class frame_settings : public display_test {
  protected:
    void SetUp() override {
        display_test::SetUp();
        use_test_atlas();
    }
    void TearDown() override {
        active_settings = {};
        display_test::TearDown();
    }

    static void enter(float speed) {
        sim::vehicle_state vehicle;
        vehicle.speed[0] = speed;
        sim::set_vehicle(vehicle);
    }
    static std::vector<sim::render_batch> draw_frame() {
        sim::clear_calls();
        draw_speedometer();
        return sim::render_batches();
    }
};

// The speed at which a player is going this many miles per hour: the host's
// speed 1 is 175 km/h.
constexpr float at_mph(double mph) {
    return static_cast<float>(mph * 1.609344 / 175.0);
}

TEST_F(frame_settings, shows_both_units_with_leading_zeros_dimmed_alike) {
    constexpr int dim = 30, lit = 255;
    const struct {
        speed_units units;
        float per_speed; // the readout at speed 1
        float speed;
        int digits[3];
        int alphas[3];
    } cases[] = {
        {speed_units::kmh, 175.0f, 9.5f / 175.0f, {0, 0, 9}, {dim, dim, lit}},
        {speed_units::kmh, 175.0f, 10.5f / 175.0f, {0, 1, 0}, {dim, lit, lit}},
        {speed_units::kmh, 175.0f, 99.5f / 175.0f, {0, 9, 9}, {dim, lit, lit}},
        {speed_units::kmh, 175.0f, 100.5f / 175.0f, {1, 0, 0}, {lit, lit, lit}},
        {speed_units::mph, 108.73996f, 9.5f / 108.73996f, {0, 0, 9}, {dim, dim, lit}},
        {speed_units::mph, 108.73996f, 10.5f / 108.73996f, {0, 1, 0}, {dim, lit, lit}},
        {speed_units::mph, 108.73996f, 99.5f / 108.73996f, {0, 9, 9}, {dim, lit, lit}},
        {speed_units::mph, 108.73996f, 100.5f / 108.73996f, {1, 0, 0}, {lit, lit, lit}},
        // A tenth of a percent either side of a step: a factor off by more shows.
        {speed_units::mph, 108.73996f, at_mph(9.99), {0, 0, 9}, {dim, dim, lit}},
        {speed_units::mph, 108.73996f, at_mph(10.01), {0, 1, 0}, {dim, lit, lit}},
        {speed_units::mph, 108.73996f, at_mph(99.9), {0, 9, 9}, {dim, lit, lit}},
        {speed_units::mph, 108.73996f, at_mph(100.1), {1, 0, 0}, {lit, lit, lit}},
        {speed_units::mph, 108.73996f, 1.2f, {1, 3, 0}, {lit, lit, lit}}, // at the cap
        {speed_units::mph, 108.73996f, 5.0f, {1, 3, 0}, {lit, lit, lit}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed * c.per_speed);
        active_settings.units = c.units;
        enter(c.speed);
        draw_frame();
        const auto quads = quad_draws();
        ASSERT_EQ(quads.size(), 8u);
        for (int i = 0; i < 3; ++i) {
            const int d = c.digits[i];
            const int left = d == 0 ? 900 : 100 * (d - 1);
            expect_uv(quads[5 + i].uv, atlas_uv(left, 291, left + 100, 451));
            EXPECT_EQ(quads[5 + i].colour.alpha, c.alphas[i]) << "digit " << i;
        }
    }
}

// The mph face comes from its own dictionary at the km/h face's place, so
// only the number differs.
TEST_F(frame_settings, mph_draws_the_face_from_the_same_region_and_moves_nothing_else) {
    enter(0.7f);
    const auto kmh = draw_frame();
    const auto kmh_quads = quad_draws();
    active_settings.units = speed_units::mph;
    const auto mph = draw_frame();
    const auto mph_quads = quad_draws();
    ASSERT_EQ(mph.size(), kmh.size());
    ASSERT_EQ(mph_quads.size(), 8u);
    expect_uv(mph_quads[0].uv, atlas_uv(0, 0, 291, 291));
    expect_rect(mph_quads[0].rect, 1566, 750, 1856, 1040);
    // Face, arc, needle, hub and status follow the fraction of the cap,
    // whatever the unit.
    for (std::size_t i = 0; i < 5; ++i) {
        ASSERT_EQ(mph[i].vertices.size(), kmh[i].vertices.size());
        EXPECT_EQ(std::memcmp(mph[i].vertices.data(), kmh[i].vertices.data(),
                              mph[i].vertices.size() * sizeof(screen_vertex)),
                  0)
            << "batch " << i;
    }
}

TEST_F(frame_settings, scale_and_offsets_resize_and_move_the_gauge_from_the_corner) {
    const struct {
        float scale, offset_x, offset_y;
        int width, height;
        host_rect dial, first_digit;
        float centre_x, centre_y, radius;
    } cases[] = {
        // 354 x 0.75 + 30 = 295.5 from the right, truncated on the screen.
        {0.75f,
         30,
         20,
         1920,
         1080,
         {1625, 813, 1842, 1030},
         {1728, 953, 1775, 1028},
         1734,
         922,
         108},
        // Twice the size on a 720-line screen: 708 reference pixels are 472.
        {2.0f, 0, 0, 1280, 720, {808, 280, 1195, 667}, {991, 530, 1075, 664}, 1002, 474, 193},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        active_settings.scale = c.scale;
        active_settings.offset_x = c.offset_x;
        active_settings.offset_y = c.offset_y;
        sim::set_screen(c.width, c.height);
        enter(0.5f);
        const auto batches = draw_frame();
        const auto quads = quad_draws();
        ASSERT_EQ(quads.size(), 8u);
        expect_rect(quads[0].rect, c.dial.left, c.dial.top, c.dial.right, c.dial.bottom);
        expect_rect(quads[5].rect, c.first_digit.left, c.first_digit.top, c.first_digit.right,
                    c.first_digit.bottom);
        const auto& arc = batches[1].vertices;
        ASSERT_GT(arc.size(), 2u);
        EXPECT_FLOAT_BITS(arc[0].x, c.centre_x);
        EXPECT_FLOAT_BITS(arc[0].y, c.centre_y);
        EXPECT_NEAR(std::hypot(arc[1].x - c.centre_x, arc[1].y - c.centre_y), c.radius, 1e-3);
    }
}

// Every vertex of the anchored frame is the screen-anchored one moved left
// by the margin beside the centred area, so size and offsets apply from the
// area's corner; the HUD text shift stays measured from the screen's edge.
TEST_F(frame_settings, an_anchor_moves_the_gauge_to_the_centred_areas_corner) {
    using enum screen_anchor;
    const struct {
        int width, height;
        screen_anchor anchor;
        float right; // of the area the gauge is placed from
    } cases[] = {
        {3440, 1440, wide_16_9, 3000}, {3440, 1440, box_4_3, 2680},   {5120, 1440, wide_16_9, 3840},
        {5120, 1440, box_4_3, 3520},   {5760, 1080, wide_16_9, 3840}, {5760, 1080, box_4_3, 3600},
        {1920, 1080, wide_16_9, 1920}, {1920, 1080, box_4_3, 1680},   {1921, 1080, wide_16_9, 1921},
        {1280, 1024, wide_16_9, 1280}, {1280, 1024, box_4_3, 1280},   {1080, 1920, wide_16_9, 1080},
        {1080, 1920, box_4_3, 1080},
    };
    active_settings.scale = 0.75f;
    active_settings.offset_x = 30;
    active_settings.offset_y = 20;
    enter(0.5f);
    const auto text_x = [] {
        sim::clear_calls();
        shifted_hud_text_b(1800.0f, 50.0f, 3);
        return sim::calls_of(sim::host_fn::hud_text_b).at(0).float_arg(0);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " anchor " << static_cast<int>(c.anchor));
        sim::set_screen(c.width, c.height);
        active_settings.anchor = screen;
        const auto corner = draw_frame();
        const float corner_text = text_x();
        active_settings.anchor = c.anchor;
        const auto anchored = draw_frame();
        EXPECT_FLOAT_BITS(text_x(), corner_text);
        ASSERT_EQ(anchored.size(), corner.size());
        for (std::size_t b = 0; b < corner.size(); ++b) {
            ASSERT_EQ(anchored[b].vertices.size(), corner[b].vertices.size());
            for (std::size_t v = 0; v < corner[b].vertices.size(); ++v) {
                // Rotated about a pivot further left, the needle may round apart.
                EXPECT_NEAR(anchored[b].vertices[v].x,
                            corner[b].vertices[v].x - static_cast<float>(c.width) + c.right, 1e-3)
                    << "batch " << b << " vertex " << v;
                EXPECT_FLOAT_BITS(anchored[b].vertices[v].y, corner[b].vertices[v].y);
            }
        }
    }
}

TEST_F(frame_settings, hud_text_shift_follows_the_gauge_or_stays_off) {
    const struct {
        float scale, offset_x;
        bool shift_on;
        float shift;
    } cases[] = {
        {1.0f, 0, true, 355}, {0.75f, 30, true, 296}, {2.0f, 0, true, 710}, {2.0f, 0, false, 0}};
    enter(0.5f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        active_settings.scale = c.scale;
        active_settings.offset_x = c.offset_x;
        active_settings.offset_y = 500; // the text moves sideways only
        active_settings.hud_text_shift = c.shift_on;
        sim::clear_calls();
        shifted_hud_text_b(1800.0f, 50.0f, 3);
        const auto text = sim::calls_of(sim::host_fn::hud_text_b);
        ASSERT_EQ(text.size(), 1u);
        EXPECT_FLOAT_BITS(text[0].float_arg(0), 1800.0f - c.shift);
    }
}

} // namespace
