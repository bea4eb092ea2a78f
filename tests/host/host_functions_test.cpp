// Every host wrapper reaches the simulated host with its arguments intact and
// gets its result back, and every host function keeps the host's convention.
#include "host/addresses.hpp"
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"
#include "tests/host/raw_calls.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace {

std::uint32_t word_of(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

std::uint32_t word_of(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

class host_functions : public ::testing::Test {
  protected:
    void SetUp() override { sim::reset_state(); }

    static sim::call_record only_call(sim::host_fn fn) {
        const auto calls = sim::calls_of(fn);
        EXPECT_EQ(calls.size(), 1u) << sim::name_of(fn);
        return calls.empty() ? sim::call_record{} : calls.front();
    }
};

TEST_F(host_functions, player_vehicle_follows_the_player_in_and_out) {
    EXPECT_EQ(host_player_vehicle(local_player, true), nullptr);

    sim::vehicle_state vehicle;
    vehicle.kind = 7;
    vehicle.speed[0] = 0.25f;
    vehicle.speed[1] = -0.5f;
    vehicle.speed[2] = 1.0f;
    vehicle.status = 3;
    sim::set_vehicle(vehicle);
    auto* record = static_cast<unsigned char*>(host_player_vehicle(local_player, false));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, sim::vehicle_record());
    float speed[3];
    std::memcpy(speed, record + vehicle_field::speed_vector, sizeof speed);
    EXPECT_EQ(speed[0], 0.25f);
    EXPECT_EQ(speed[1], -0.5f);
    EXPECT_EQ(speed[2], 1.0f);
    EXPECT_EQ(record[vehicle_field::status], 3);
    std::int32_t kind;
    std::memcpy(&kind, record + vehicle_field::kind, sizeof kind);
    EXPECT_EQ(kind, 7);

    sim::clear_vehicle();
    EXPECT_EQ(host_player_vehicle(local_player, false), nullptr);
    EXPECT_EQ(sim::vehicle_record(), nullptr);

    const auto calls = sim::calls_of(sim::host_fn::player_vehicle);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].arg_count, 2);
    EXPECT_EQ(calls[0].args[0], 0xFFFFFFFFu);
    EXPECT_EQ(calls[0].args[1], 1u);
    EXPECT_EQ(calls[1].args[1], 0u);
    EXPECT_EQ(calls[0].result, 0u);
    EXPECT_EQ(calls[1].result, word_of(record));
}

TEST_F(host_functions, vector_length_returns_the_length_on_the_float_stack) {
    const float pythagoras[3] = {3.0f, 4.0f, 12.0f};
    EXPECT_EQ(host_vector_length(pythagoras), 13.0f);
    // A single axis comes back as exactly that component's magnitude.
    const float one_axis[3] = {0.0f, -0.7f, 0.0f};
    EXPECT_EQ(host_vector_length(one_axis), 0.7f);
    const float still[3] = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(host_vector_length(still), 0.0f);

    const auto calls = sim::calls_of(sim::host_fn::vector_length);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].arg_count, 1);
    EXPECT_EQ(calls[0].args[0], word_of(pythagoras));
    EXPECT_EQ(calls[0].result, word_of(13.0f));
}

TEST_F(host_functions, hud_text_functions_pass_position_and_text_and_return_the_result) {
    const char* text = "~1~ km/h";
    sim::set_hud_text_result(0xCAFEF00D);
    EXPECT_EQ(host_hud_text_a(1700.5f, -12.25f, word_of(text)), 0xCAFEF00Du);
    sim::set_hud_text_result(0);
    EXPECT_EQ(host_hud_text_b(-0.0f, 3e38f, 0xFFFFFFFF), 0u);

    const auto a = only_call(sim::host_fn::hud_text_a);
    EXPECT_EQ(a.arg_count, 3);
    EXPECT_EQ(a.float_arg(0), 1700.5f);
    EXPECT_EQ(a.float_arg(1), -12.25f);
    EXPECT_EQ(a.text_arg(2), text);
    EXPECT_EQ(a.result, 0xCAFEF00Du);
    const auto b = only_call(sim::host_fn::hud_text_b);
    EXPECT_EQ(b.args[0], 0x80000000u) << "negative zero keeps its sign bit";
    EXPECT_EQ(b.float_arg(1), 3e38f);
    EXPECT_EQ(b.args[2], 0xFFFFFFFFu);
}

TEST_F(host_functions, make_color_and_make_rect_fill_their_records_and_return_them) {
    host_color color{};
    EXPECT_EQ(host_make_color(color, 255, 25, 120, 200), &color);
    EXPECT_EQ(color.red, 255);
    EXPECT_EQ(color.green, 25);
    EXPECT_EQ(color.blue, 120);
    EXPECT_EQ(color.alpha, 200);

    host_rect rect{};
    EXPECT_EQ(host_make_rect(rect, 1566.0f, 750.0f, 1856.5f, -1040.0f), &rect);
    EXPECT_EQ(rect.left, 1566.0f);
    EXPECT_EQ(rect.top, 750.0f);
    EXPECT_EQ(rect.right, 1856.5f);
    EXPECT_EQ(rect.bottom, -1040.0f);

    const auto c = only_call(sim::host_fn::make_color);
    EXPECT_EQ(c.arg_count, 5);
    EXPECT_EQ(c.args[0], word_of(&color)) << "the object comes first, from ECX";
    EXPECT_EQ(c.args[1] & 0xFF, 255u);
    EXPECT_EQ(c.args[4] & 0xFF, 200u);
    const auto r = only_call(sim::host_fn::make_rect);
    EXPECT_EQ(r.args[0], word_of(&rect));
    EXPECT_EQ(r.float_arg(3), 1856.5f);
    EXPECT_EQ(r.result, word_of(&rect));
}

TEST_F(host_functions, make_color_reads_only_the_low_byte_of_each_slot) {
    host_color color{};
    const auto call = call_host(host_address::make_color, word_of(&color),
                                {0xABCDEF12, 0xFFFFFF34, 0x00000156, 0x7FFFFF78});
    EXPECT_EQ(call.eax, word_of(&color));
    EXPECT_EQ(color.red, 0x12);
    EXPECT_EQ(color.green, 0x34);
    EXPECT_EQ(color.blue, 0x56);
    EXPECT_EQ(color.alpha, 0x78);
}

TEST_F(host_functions, draw_textured_quad_lays_the_corners_out_for_a_fan) {
    host_rect rect{};
    host_make_rect(rect, 10.0f, 20.0f, 110.0f, 70.0f);
    host_color c[4];
    host_make_color(c[0], 1, 2, 3, 4);
    host_make_color(c[1], 5, 6, 7, 8);
    host_make_color(c[2], 9, 10, 11, 12);
    host_make_color(c[3], 13, 14, 15, 16);
    // Pairs in the order left-top, right-top, left-bottom, right-bottom.
    host_draw_textured_quad(rect, c[0], c[1], c[2], c[3], 0.125f, 0.25f, 0.5f, 0.25f, 0.125f, 0.75f,
                            0.5f, 0.75f);

    const screen_vertex* quad = host_quad_vertices();
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(quad), host_address::quad_vertices);
    struct corner {
        float x, y;
        std::uint32_t colour;
        float u, v;
    };
    const corner expected[4] = {{10.0f, 20.0f, 0x04010203, 0.125f, 0.25f},
                                {110.0f, 20.0f, 0x08050607, 0.5f, 0.25f},
                                {110.0f, 70.0f, 0x100D0E0F, 0.5f, 0.75f},
                                {10.0f, 70.0f, 0x0C090A0B, 0.125f, 0.75f}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(quad[i].x, expected[i].x);
        EXPECT_EQ(quad[i].y, expected[i].y);
        EXPECT_EQ(quad[i].z, 0.0f);
        EXPECT_EQ(quad[i].rhw, 1.0f);
        EXPECT_EQ(quad[i].colour, expected[i].colour);
        EXPECT_EQ(quad[i].u, expected[i].u);
        EXPECT_EQ(quad[i].v, expected[i].v);
    }

    const auto call = only_call(sim::host_fn::draw_textured_quad);
    EXPECT_EQ(call.arg_count, 13);
    EXPECT_EQ(call.args[0], word_of(&rect));
    EXPECT_EQ(call.args[4], word_of(&c[3]));
    EXPECT_EQ(call.float_arg(5), 0.125f);
    EXPECT_EQ(call.float_arg(12), 0.75f);
    EXPECT_EQ(sim::count_of(sim::host_fn::render_2d), 0u) << "filling the quad draws nothing";
}

TEST_F(host_functions, render_2d_and_render_state_are_logged_with_what_they_were_given) {
    screen_vertex strip[5] = {};
    for (int i = 0; i < 5; ++i) {
        strip[i] = {float(i), float(2 * i), 0.0f, 1.0f, 0xFF000000u + i, 0.1f * i, 0.5f};
    }
    EXPECT_EQ(host_set_render_state(render_state_texture, 42), 0u);
    EXPECT_EQ(sim::selected_texture(), 42u);
    host_render_2d(primitive_triangle_strip, strip, 5);
    host_set_render_state(render_state_texture, 0);
    EXPECT_EQ(sim::selected_texture(), 0u);

    const auto render = only_call(sim::host_fn::render_2d);
    EXPECT_EQ(render.arg_count, 3);
    EXPECT_EQ(render.args[0], 4u);
    EXPECT_EQ(render.args[1], word_of(strip));
    EXPECT_EQ(render.args[2], 5u);
    const auto batches = sim::render_batches();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].primitive, primitive_triangle_strip);
    EXPECT_EQ(batches[0].texture, 42u);
    ASSERT_EQ(batches[0].vertices.size(), 5u);
    EXPECT_EQ(batches[0].vertices[4].colour, 0xFF000004u);
    EXPECT_EQ(sim::last_vertices().size(), 5u);

    const auto states = sim::calls_of(sim::host_fn::set_render_state);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].args[0], 1u);
    EXPECT_EQ(states[0].args[1], 42u);
    EXPECT_EQ(states[1].args[1], 0u);
}

TEST_F(host_functions, log_keeps_calls_in_order_and_can_be_cleared_or_switched_off) {
    host_color color{};
    host_make_color(color, 1, 2, 3, 4);
    host_player_vehicle(local_player, false);
    ASSERT_EQ(sim::calls().size(), 2u);
    EXPECT_EQ(sim::calls()[0].fn, sim::host_fn::make_color);
    EXPECT_EQ(sim::calls()[1].fn, sim::host_fn::player_vehicle);
    EXPECT_STREQ(sim::name_of(sim::calls()[1].fn), "player_vehicle");
    EXPECT_THROW(sim::calls()[1].float_arg(2), std::out_of_range);

    sim::clear_calls();
    EXPECT_TRUE(sim::calls().empty());
    sim::set_call_logging(false);
    host_make_color(color, 9, 9, 9, 9);
    screen_vertex none[3] = {};
    host_render_2d(primitive_triangle_fan, none, 3);
    EXPECT_TRUE(sim::calls().empty());
    EXPECT_TRUE(sim::render_batches().empty());
    EXPECT_EQ(color.red, 9) << "the host still works with the log off";
    sim::set_call_logging(true);
}

TEST_F(host_functions, render_state_goes_through_the_engine_record) {
    const auto engine = *reinterpret_cast<const std::uint32_t*>(host_address::render_engine);
    ASSERT_NE(engine, 0u);
    const auto set_state =
        *reinterpret_cast<const std::uint32_t*>(engine + engine_render_state_offset);
    const auto call = call_host(set_state, 0, {render_state_texture, 7});
    EXPECT_EQ(call.bytes_removed, 0) << "cdecl: the caller removes the arguments";
    EXPECT_EQ(sim::selected_texture(), 7u);

    sim::set_render_engine_present(false);
    EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(host_address::render_engine), 0u);
    // Without an engine the wrapper sets nothing rather than following null.
    sim::clear_calls();
    EXPECT_EQ(host_set_render_state(render_state_texture, 9), 0u);
    EXPECT_EQ(sim::count_of(sim::host_fn::set_render_state), 0u);
    EXPECT_EQ(sim::selected_texture(), 7u);
    sim::set_render_engine_present(true);
    EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(host_address::render_engine), engine);
}

// Each host function, called as host code calls it: what it removes from the
// stack and where its result comes back.
TEST_F(host_functions, each_function_keeps_the_host_calling_convention) {
    sim::set_drawing_enabled(false);
    const float vector[3] = {0.0f, 6.0f, 8.0f};
    host_color color{};
    host_rect rect{};
    screen_vertex quad[4] = {};
    const char* path = "models\\no_such.txd";
    struct expectation {
        const char* name;
        std::uint32_t address;
        std::uint32_t ecx;
        std::vector<std::uint32_t> words;
        std::int32_t removed;
    };
    const expectation cases[] = {
        {"player_vehicle", host_address::player_vehicle, 0, {0xFFFFFFFF, 0}, 0},
        {"hud_text_a", host_address::hud_text_a, 0, {word_of(1.0f), word_of(2.0f), 3}, 0},
        {"hud_text_b", host_address::hud_text_b, 0, {word_of(1.0f), word_of(2.0f), 3}, 0},
        {"load_txd", host_address::load_txd, 0, {word_of(path)}, 0},
        {"txd_texture", host_address::txd_texture, 0, {0}, 0},
        {"release_txd", host_address::release_txd, 0, {0}, 0},
        {"make_color", host_address::make_color, word_of(&color), {1, 2, 3, 4}, 16},
        {"make_rect",
         host_address::make_rect,
         word_of(&rect),
         {word_of(1.0f), word_of(2.0f), word_of(3.0f), word_of(4.0f)},
         16},
        {"draw_textured_quad",
         host_address::draw_textured_quad,
         0,
         {word_of(&rect), word_of(&color), word_of(&color), word_of(&color), word_of(&color), 0, 0,
          0, 0, 0, 0, 0, 0},
         0},
        {"render_2d", host_address::render_2d, 0, {5, word_of(quad), 4}, 0},
    };
    for (const expectation& e : cases) {
        SCOPED_TRACE(e.name);
        raw_call call{
            e.address, e.ecx, e.words.data(), static_cast<std::uint32_t>(e.words.size()), 0, 0,
            0,         0};
        raw_host_call(&call);
        EXPECT_EQ(call.bytes_removed, e.removed);
    }
    const auto length = call_host(host_address::vector_length, word_of(vector), {}, true);
    EXPECT_EQ(length.bytes_removed, 0);
    EXPECT_EQ(std::bit_cast<float>(length.st0_bits), 10.0f);
    EXPECT_EQ(rect.right, 3.0f);
}

// Wrappers called many times in a row: a convention mismatch anywhere would
// walk the stack away and crash long before the end.
TEST_F(host_functions, wrappers_survive_a_long_run_of_calls) {
    sim::set_call_logging(false);
    sim::set_drawing_enabled(false);
    sim::set_vehicle({});
    const float vector[3] = {1.0f, 2.0f, 2.0f};
    host_color color{};
    host_rect rect{};
    float total = 0.0f;
    for (int i = 0; i < 20000; ++i) {
        host_make_color(color, static_cast<std::uint8_t>(i), 0, 0, 255);
        host_make_rect(rect, 0.0f, 0.0f, float(i), 1.0f);
        host_draw_textured_quad(rect, color, color, color, color, 0, 0, 1, 0, 0, 1, 1, 1);
        host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
        host_set_render_state(render_state_texture, 0);
        total += host_vector_length(vector);
        host_hud_text_a(1.0f, 2.0f, 3);
        host_hud_text_b(1.0f, 2.0f, 3);
        host_player_vehicle(local_player, true);
        host_txd_texture(nullptr);
    }
    EXPECT_EQ(total, 60000.0f);
    EXPECT_EQ(color.red, static_cast<std::uint8_t>(19999));
    EXPECT_EQ(rect.right, 19999.0f);
}

} // namespace
