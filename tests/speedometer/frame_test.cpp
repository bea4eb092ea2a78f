#include "display_fixture.hpp"

#include "host/functions.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/progress_arc.hpp"
#include "speedometer/trig_tables.hpp"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace {

using sim::host_fn;

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// What the host saw of one frame.
struct frame_record {
    std::vector<sim::call_record> calls;
    std::vector<sim::render_batch> batches;
};

class frame_test : public display_test {
  protected:
    void SetUp() override {
        display_test::SetUp();
        atlas_ = use_test_atlas();
    }

    static void enter(float speed, std::uint8_t status = 0, std::int32_t kind = 2) {
        sim::vehicle_state vehicle;
        vehicle.kind = kind;
        vehicle.speed[0] = speed;
        vehicle.status = status;
        sim::set_vehicle(vehicle);
    }

    static frame_record draw_frame() {
        sim::clear_calls();
        draw_speedometer();
        return {sim::calls(), sim::render_batches()};
    }

    static std::vector<host_fn> drawn_frame_functions(bool with_arc) {
        std::vector<host_fn> functions{host_fn::player_vehicle, host_fn::vector_length,
                                       host_fn::set_render_state};
        const auto add_quads = [&](int count) {
            for (int i = 0; i < count; ++i) {
                functions.insert(functions.end(),
                                 {host_fn::make_color, host_fn::make_rect,
                                  host_fn::draw_textured_quad, host_fn::render_2d});
            }
        };
        add_quads(1); // dial face
        if (with_arc) {
            functions.push_back(host_fn::render_2d);
        }
        add_quads(7); // needle, hub, status sprite and digit, three number digits
        functions.push_back(host_fn::set_render_state);
        return functions;
    }

    // Everything the host was given is the same, but for the length it reported.
    static void expect_same_frame(const frame_record& actual, const frame_record& expected) {
        ASSERT_EQ(actual.calls.size(), expected.calls.size());
        for (std::size_t i = 0; i < actual.calls.size(); ++i) {
            const sim::call_record& a = actual.calls[i];
            const sim::call_record& e = expected.calls[i];
            EXPECT_EQ(a.fn, e.fn) << "call " << i;
            EXPECT_EQ(a.arg_count, e.arg_count) << "call " << i;
            EXPECT_EQ(a.args, e.args) << "call " << i << ", " << sim::name_of(a.fn);
        }
        ASSERT_EQ(actual.batches.size(), expected.batches.size());
        for (std::size_t i = 0; i < actual.batches.size(); ++i) {
            const auto& a = actual.batches[i].vertices;
            const auto& e = expected.batches[i].vertices;
            EXPECT_EQ(actual.batches[i].primitive, expected.batches[i].primitive);
            ASSERT_EQ(a.size(), e.size()) << "batch " << i;
            EXPECT_EQ(std::memcmp(a.data(), e.data(), a.size() * sizeof(screen_vertex)), 0)
                << "batch " << i;
        }
    }

    // Direction from the pivot to the middle of the needle sprite's top edge,
    // in degrees clockwise from pointing right.
    static double needle_direction(const sim::render_batch& needle, float pivot_x, float pivot_y) {
        EXPECT_EQ(needle.vertices.size(), 4u);
        if (needle.vertices.size() != 4) {
            return nan;
        }
        // The host lays out the quad from its left-top corner, then right-top.
        const double tip_x = (needle.vertices[0].x + needle.vertices[1].x) / 2.0;
        const double tip_y = (needle.vertices[0].y + needle.vertices[1].y) / 2.0;
        EXPECT_NEAR(std::hypot(tip_x - pivot_x, tip_y - pivot_y), 145.0, 0.01);
        const double degrees =
            std::atan2(tip_y - pivot_y, tip_x - pivot_x) * 180.0 / std::numbers::pi;
        return degrees < -0.01 ? degrees + 360.0 : degrees;
    }

    host_texture* atlas_ = nullptr;
};

TEST_F(frame_test, draws_nothing_on_foot) {
    host_set_render_state(render_state_texture, 77);
    draw_frame();
    EXPECT_EQ(logged_functions(), std::vector{host_fn::player_vehicle});
    const auto asked = sim::calls_of(host_fn::player_vehicle);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(static_cast<std::int32_t>(asked[0].args[0]), -1);
    EXPECT_EQ(asked[0].args[1], 1u) << "remote players' vehicles count";
    EXPECT_EQ(sim::selected_texture(), 77u);
}

TEST_F(frame_test, draws_nothing_for_vehicle_kinds_without_a_speedometer) {
    host_set_render_state(render_state_texture, 77);
    for (const std::int32_t kind : {3, 4, 5, 6, 10}) {
        enter(0.5f, 1, kind);
        draw_frame();
        EXPECT_EQ(logged_functions(), std::vector{host_fn::player_vehicle}) << "kind " << kind;
    }
    EXPECT_EQ(sim::selected_texture(), 77u);
}

TEST_F(frame_test, draws_every_other_vehicle_kind) {
    for (const std::int32_t kind : {2, 7, 11, 0, 1, 9, -1, 1000}) {
        enter(0.5f, 1, kind);
        draw_frame();
        EXPECT_EQ(logged_functions(), drawn_frame_functions(true)) << "kind " << kind;
    }
}

TEST_F(frame_test, draws_nothing_without_the_atlas) {
    speedometer_texture = nullptr;
    host_set_render_state(render_state_texture, 77);
    enter(0.5f);
    const frame_record frame = draw_frame();
    EXPECT_EQ(logged_functions(), std::vector{host_fn::player_vehicle});
    EXPECT_TRUE(frame.batches.empty());
    EXPECT_EQ(sim::selected_texture(), 77u);
}

TEST_F(frame_test, lays_out_every_sprite_on_a_1920x1080_screen) {
    enter(0.1f, 0);
    const frame_record frame = draw_frame();
    ASSERT_EQ(logged_functions(), drawn_frame_functions(true));

    EXPECT_EQ(frame.calls[1].args[0], std::bit_cast<std::uint32_t>(sim::vehicle_record()) + 0x44u);
    const auto states = sim::calls_of(host_fn::set_render_state);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].args[0], 1u);
    EXPECT_EQ(states[0].args[1], atlas_->render_id);
    EXPECT_EQ(states[1].args[0], 1u);
    EXPECT_EQ(states[1].args[1], 0u);
    for (const sim::render_batch& batch : frame.batches) {
        EXPECT_EQ(batch.texture, atlas_->render_id);
    }

    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 8u);
    const struct {
        const char* name;
        host_rect rect;
        std::array<float, 8> uv;
        host_color colour;
    } expected[] = {
        {"dial face", {1566, 750, 1856, 1040}, atlas_uv(0, 0, 291, 291), {255, 255, 255, 255}},
        {"needle", {1703, 750, 1719, 866}, atlas_uv(658, 0, 674, 118), {255, 255, 255, 255}},
        {"hub", {1673, 857, 1749, 933}, atlas_uv(582, 0, 658, 76), {255, 255, 255, 255}},
        {"status sprite", {1682, 866, 1740, 924}, atlas_uv(582, 76, 640, 134), {255, 25, 120, 255}},
        {"status digit 0",
         {1697, 877, 1725, 913},
         atlas_uv(978, 134, 1022, 190),
         {255, 25, 120, 255}},
        {"number digit 0",
         {1703, 937, 1766, 1037},
         atlas_uv(900, 291, 1000, 451),
         {255, 255, 255, 30}},
        {"number digit 1",
         {1755, 937, 1818, 1037},
         atlas_uv(0, 291, 100, 451),
         {255, 255, 255, 255}},
        {"number digit 7",
         {1807, 937, 1870, 1037},
         atlas_uv(600, 291, 700, 451),
         {255, 255, 255, 255}},
    };
    for (std::size_t i = 0; i < quads.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        const host_rect& r = expected[i].rect;
        expect_rect(quads[i].rect, r.left, r.top, r.right, r.bottom);
        expect_uv(quads[i].uv, expected[i].uv);
        const host_color& c = expected[i].colour;
        expect_colour(quads[i].colour, c.red, c.green, c.blue, c.alpha);
    }
}

TEST_F(frame_test, sweeps_the_arc_and_turns_the_needle_with_the_speed) {
    enter(0.1f);
    const frame_record frame = draw_frame();
    ASSERT_EQ(frame.batches.size(), 9u);
    const sim::render_batch& arc = frame.batches[1];
    EXPECT_EQ(arc.primitive, 4);
    ASSERT_EQ(arc.vertices.size(), 13u) << "110 to exactly 140 degrees";
    EXPECT_FLOAT_BITS(arc.vertices[0].x, 1711.0f);
    EXPECT_FLOAT_BITS(arc.vertices[0].y, 895.0f);
    EXPECT_FLOAT_BITS(arc.vertices[1].x, cos_table[110] * 145.0f + 1711.0f);
    EXPECT_FLOAT_BITS(arc.vertices[11].x, cos_table[140] * 145.0f + 1711.0f);
    EXPECT_FLOAT_BITS(arc.vertices[11].y, sin_table[140] * 145.0f + 895.0f);
    EXPECT_FLOAT_BITS(arc.vertices[0].u, 0.42626953125f);
    EXPECT_FLOAT_BITS(arc.vertices[0].v, 0.2841796875f);
    // The needle stands at 270 degrees and is turned by 230.
    EXPECT_NEAR(needle_direction(frame.batches[2], 1711.0f, 895.0f), 140.0, 1e-3);
}

TEST_F(frame_test, shows_a_vehicle_at_rest_without_an_arc) {
    enter(0.0f);
    const frame_record frame = draw_frame();
    EXPECT_EQ(logged_functions(), drawn_frame_functions(false));
    EXPECT_EQ(sim::count_of(host_fn::render_2d), 8u);
    ASSERT_EQ(frame.batches.size(), 8u);
    EXPECT_NEAR(needle_direction(frame.batches[1], 1711.0f, 895.0f), 120.0, 1e-3);
    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 8u);
    for (int i = 5; i < 8; ++i) {
        expect_uv(quads[i].uv, atlas_uv(900, 291, 1000, 451));
        EXPECT_EQ(quads[i].colour.alpha, 30);
    }
}

TEST_F(frame_test, shows_the_same_frame_at_and_above_the_top_speed) {
    enter(1.2f);
    const frame_record top = draw_frame();
    ASSERT_EQ(top.batches.size(), 9u);
    EXPECT_FLOAT_BITS(std::bit_cast<float>(top.calls[1].result), 1.2f);
    EXPECT_EQ(top.batches[1].vertices.size(), 87u) << "110 to 360 degrees";
    EXPECT_FLOAT_BITS(top.batches[1].vertices[85].x, 1711.0f + 145.0f);
    EXPECT_NEAR(needle_direction(top.batches[2], 1711.0f, 895.0f), 0.0, 1e-3);
    const auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 8u);
    expect_uv(quads[5].uv, atlas_uv(100, 291, 200, 451));  // 2
    expect_uv(quads[6].uv, atlas_uv(0, 291, 100, 451));    // 1
    expect_uv(quads[7].uv, atlas_uv(900, 291, 1000, 451)); // 0

    for (const float speed : {1.2000001f, 1.5f, 1000.0f, infinity}) {
        SCOPED_TRACE(speed);
        enter(speed);
        expect_same_frame(draw_frame(), top);
    }
}

TEST_F(frame_test, shows_a_speed_that_is_not_a_number_as_standing_still) {
    enter(0.0f);
    const frame_record still = draw_frame();
    enter(nan);
    const frame_record lost = draw_frame();
    EXPECT_TRUE(std::isnan(std::bit_cast<float>(lost.calls[1].result)));
    expect_same_frame(lost, still);
}

TEST_F(frame_test, colours_the_status_sprite_and_digit_by_the_status_byte) {
    const struct {
        std::uint8_t status;
        int digit_left;
        host_color colour;
    } cases[] = {{0, 978, {255, 25, 120, 255}},
                 {1, 582, {0, 255, 255, 255}},
                 {9, 934, {0, 255, 255, 255}},
                 {12, 934, {0, 255, 255, 255}},
                 {255, 934, {0, 255, 255, 255}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.status));
        enter(0.5f, c.status);
        draw_frame();
        const auto quads = quad_draws();
        ASSERT_EQ(quads.size(), 8u);
        for (const int i : {3, 4}) {
            expect_colour(quads[i].colour, c.colour.red, c.colour.green, c.colour.blue, 255);
        }
        expect_uv(quads[4].uv, atlas_uv(c.digit_left, 134, c.digit_left + 44, 190));
    }
}

TEST_F(frame_test, scales_to_the_shorter_side_of_the_screen) {
    enter(0.5f);
    sim::set_screen(1280, 720);
    draw_frame();
    auto quads = quad_draws();
    ASSERT_EQ(quads.size(), 8u);
    expect_rect(quads[0].rect, 1044, 500, 1238, 694);
    // Number digits: scaled(63) = 42 wide, scaled(100.8) = 67 high, scaled(52) = 34 apart.
    expect_rect(quads[5].rect, 1280 - 144, 720 - 95, 1280 - 144 + 42, 720 - 95 + 67);
    expect_rect(quads[6].rect, 1280 - 144 + 34, 720 - 95, 1280 - 144 + 34 + 42, 720 - 95 + 67);

    // Portrait: the width is the shorter side; placed from its own edges.
    sim::set_screen(1080, 1920);
    draw_frame();
    quads = quad_draws();
    ASSERT_EQ(quads.size(), 8u);
    expect_rect(quads[0].rect, 726, 1590, 1016, 1880);
    expect_rect(quads[2].rect, 833, 1697, 909, 1773);
}

} // namespace
