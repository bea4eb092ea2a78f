#include "display_fixture.hpp"

#include "host/functions.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/trig_tables.hpp"
#include "support/test_atlas.hpp"

#include <bit>
#include <cstdio>
#include <map>

::testing::AssertionResult float_bits_equal(const char* actual_text, const char* expected_text,
                                            float actual, float expected) {
    const auto actual_bits = std::bit_cast<std::uint32_t>(actual);
    const auto expected_bits = std::bit_cast<std::uint32_t>(expected);
    if (actual_bits == expected_bits) {
        return ::testing::AssertionSuccess();
    }
    char message[256];
    std::snprintf(message, sizeof message, "%s is %.9g (0x%08X), %s is %.9g (0x%08X)", actual_text,
                  actual, actual_bits, expected_text, expected, expected_bits);
    return ::testing::AssertionFailure() << message;
}

void display_test::SetUpTestSuite() {
    sim::install();
    build_trig_tables();
}

void display_test::SetUp() {
    sim::set_screen(1920, 1080);
    sim::clear_vehicle();
    sim::set_drawing_enabled(false);
    sim::set_call_logging(true);
    sim::clear_calls();
    speedometer_texture = nullptr;
}

void display_test::TearDown() {
    speedometer_texture = nullptr;
}

std::vector<sim::host_fn> logged_functions() {
    std::vector<sim::host_fn> functions;
    for (const sim::call_record& call : sim::calls()) {
        functions.push_back(call.fn);
    }
    return functions;
}

std::vector<quad_draw> quad_draws() {
    std::map<std::uint32_t, host_color> colours;
    std::map<std::uint32_t, host_rect> rects;
    std::vector<quad_draw> draws;
    const auto& calls = sim::calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const sim::call_record& call = calls[i];
        if (call.fn == sim::host_fn::make_color) {
            colours[call.args[0]] = {
                static_cast<std::uint8_t>(call.args[1]), static_cast<std::uint8_t>(call.args[2]),
                static_cast<std::uint8_t>(call.args[3]), static_cast<std::uint8_t>(call.args[4])};
        } else if (call.fn == sim::host_fn::make_rect) {
            rects[call.args[0]] = {call.float_arg(1), call.float_arg(2), call.float_arg(3),
                                   call.float_arg(4)};
        } else if (call.fn == sim::host_fn::draw_textured_quad) {
            quad_draw draw{};
            EXPECT_TRUE(rects.contains(call.args[0])) << "quad " << draws.size();
            EXPECT_TRUE(colours.contains(call.args[1])) << "quad " << draws.size();
            for (int corner = 2; corner <= 4; ++corner) {
                EXPECT_EQ(call.args[corner], call.args[1]) << "quad " << draws.size();
            }
            draw.rect = rects[call.args[0]];
            draw.colour = colours[call.args[1]];
            for (int k = 0; k < 8; ++k) {
                draw.uv[k] = call.float_arg(5 + k);
            }
            // The needle is turned in between, without a host call.
            EXPECT_LT(i + 1, calls.size());
            if (i + 1 < calls.size()) {
                const sim::call_record& render = calls[i + 1];
                EXPECT_EQ(render.fn, sim::host_fn::render_2d) << "quad " << draws.size();
                EXPECT_EQ(render.args[0], 5u);
                EXPECT_EQ(render.args[1], std::bit_cast<std::uint32_t>(host_quad_vertices()));
                EXPECT_EQ(render.args[2], 4u);
            }
            draws.push_back(draw);
        }
    }
    return draws;
}

std::array<float, 8> atlas_uv(int left, int top, int right, int bottom) {
    const float u_left = static_cast<float>(left) / 1024.0f;
    const float u_right = static_cast<float>(right) / 1024.0f;
    const float v_top = static_cast<float>(top) / 512.0f;
    const float v_bottom = static_cast<float>(bottom) / 512.0f;
    return {u_left, v_top, u_right, v_top, u_left, v_bottom, u_right, v_bottom};
}

void expect_rect(const host_rect& actual, float left, float top, float right, float bottom) {
    EXPECT_FLOAT_BITS(actual.left, left);
    EXPECT_FLOAT_BITS(actual.top, top);
    EXPECT_FLOAT_BITS(actual.right, right);
    EXPECT_FLOAT_BITS(actual.bottom, bottom);
}

void expect_uv(const std::array<float, 8>& actual, const std::array<float, 8>& expected) {
    for (int k = 0; k < 8; ++k) {
        EXPECT_FLOAT_BITS(actual[k], expected[k]) << "texture coordinate " << k;
    }
}

void expect_colour(const host_color& actual, int red, int green, int blue, int alpha) {
    EXPECT_EQ(actual.red, red);
    EXPECT_EQ(actual.green, green);
    EXPECT_EQ(actual.blue, blue);
    EXPECT_EQ(actual.alpha, alpha);
}

host_texture* display_test::use_test_atlas() {
    static host_texture* const atlas = test_atlas::add_to_host();
    speedometer_texture = atlas;
    return atlas;
}
