// What the host's 2-D pass puts on the screen through the Direct3D 9 device:
// quads through the host's quad and render functions, strips, texture
// sampling, vertex colours and blending, read back from the device.
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr std::uint32_t rgba(std::uint32_t r, std::uint32_t g, std::uint32_t b,
                             std::uint32_t a = 255) {
    return r | g << 8 | b << 16 | a << 24;
}

int channel(std::uint32_t pixel, int index) {
    return static_cast<int>((pixel >> (8 * index)) & 0xFF);
}

// Within a step or two of the expected colour: the device rounds its own way.
::testing::AssertionResult near_colour(std::uint32_t actual, std::uint32_t expected) {
    for (int i = 0; i < 4; ++i) {
        if (std::abs(channel(actual, i) - channel(expected, i)) > 2) {
            return ::testing::AssertionFailure()
                   << std::hex << "pixel 0x" << actual << ", expected 0x" << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

constexpr std::uint32_t red = rgba(255, 0, 0);
constexpr std::uint32_t green = rgba(0, 255, 0);
constexpr std::uint32_t blue = rgba(0, 0, 255);
constexpr std::uint32_t white = rgba(255, 255, 255);
constexpr std::uint32_t background = rgba(10, 20, 30);
constexpr sim::texture_sampling nearest{1, 0x33};

host_color colour(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    host_color c{};
    host_make_color(c, r, g, b, a);
    return c;
}

// The whole texture on the rectangle, as the module draws a sprite.
void draw_sprite(float left, float top, float right, float bottom, const host_color& c,
                 float u1 = 1.0f) {
    host_rect rect{};
    host_make_rect(rect, left, top, right, bottom);
    host_draw_textured_quad(rect, c, c, c, c, 0.0f, 0.0f, u1, 0.0f, 0.0f, 1.0f, u1, 1.0f);
    host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
}

void select(const host_texture* texture) {
    host_set_render_state(render_state_texture, texture == nullptr ? 0 : texture->render_id);
}

screen_vertex at(float x, float y, std::uint32_t argb = 0xFFFFFFFF) {
    return {x, y, 0.0f, 1.0f, argb, 0.0f, 0.0f};
}

std::size_t count_pixels(std::uint32_t value) {
    const auto& f = sim::frame();
    return static_cast<std::size_t>(std::count(f.begin(), f.end(), value));
}

class device_drawing : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::reset_state();
        sim::set_drawing_enabled(true);
        sim::set_screen(64, 48);
        sim::clear_frame(background);
    }
    void TearDown() override { EXPECT_EQ(sim::drawing_error(), ""); }
};

TEST_F(device_drawing, a_four_colour_texture_lands_upright_on_its_rectangle) {
    select(sim::add_texture(2, 2, {red, green, blue, white}, nearest));
    draw_sprite(10.0f, 20.0f, 30.0f, 40.0f, colour(255, 255, 255, 255));
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (x == 20 || y == 30) {
                continue; // where the nearest texel changes, exactly half-way
            }
            std::uint32_t expected = background;
            if (x >= 10 && x < 30 && y >= 20 && y < 40) {
                const bool right = x >= 20;
                const bool bottom = y >= 30;
                expected = bottom ? (right ? white : blue) : (right ? green : red);
            }
            ASSERT_EQ(sim::pixel(x, y), expected) << x << "," << y;
        }
    }
}

// Pixel centres sit on whole coordinates: a sprite from x 10 samples its
// left column at u 0, the texel edge, and linear filtering clamps there.
TEST_F(device_drawing, linear_filtering_samples_at_pixel_centres_on_whole_coordinates) {
    select(sim::add_texture(2, 1, {rgba(0, 0, 0), rgba(255, 255, 255)}));
    draw_sprite(10.0f, 10.0f, 14.0f, 11.0f, colour(255, 255, 255, 255));
    const int expected[4] = {0, 0, 128, 255};
    for (int x = 0; x < 4; ++x) {
        EXPECT_NEAR(channel(sim::pixel(10 + x, 10), 0), expected[x], 2) << x;
    }
}

TEST_F(device_drawing, texels_are_modulated_by_vertex_colours) {
    select(sim::add_texture(1, 1, {rgba(200, 100, 50)}));
    draw_sprite(0.0f, 0.0f, 8.0f, 8.0f, colour(128, 255, 0, 255));
    EXPECT_TRUE(near_colour(sim::pixel(4, 4), rgba(100, 100, 0)));

    // No texture: vertex colour alone, interpolated from black to white.
    select(nullptr);
    host_rect rect{};
    host_make_rect(rect, 0.0f, 20.0f, 64.0f, 21.0f);
    const host_color black = colour(0, 0, 0, 255);
    const host_color bright = colour(255, 255, 255, 255);
    host_draw_textured_quad(rect, black, bright, black, bright, 0, 0, 1, 0, 0, 1, 1, 1);
    host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
    for (int x = 0; x < 64; x += 9) {
        EXPECT_NEAR(channel(sim::pixel(x, 20), 1), x * 255.0 / 64.0, 2.0) << x;
    }
}

TEST_F(device_drawing, vertex_and_texture_alpha_blend_over_the_frame) {
    sim::clear_frame(blue);
    draw_sprite(0.0f, 0.0f, 10.0f, 10.0f, colour(255, 0, 0, 128));
    EXPECT_TRUE(near_colour(sim::pixel(5, 5), rgba(128, 0, 127)));
    draw_sprite(20.0f, 0.0f, 30.0f, 10.0f, colour(255, 255, 255, 0));
    EXPECT_EQ(sim::pixel(25, 5), blue) << "fully transparent leaves the frame";

    select(sim::add_texture(1, 1, {rgba(0, 255, 0, 128)}));
    draw_sprite(40.0f, 0.0f, 50.0f, 10.0f, colour(255, 255, 255, 255));
    EXPECT_TRUE(near_colour(sim::pixel(45, 5), rgba(0, 128, 127)));
    draw_sprite(40.0f, 20.0f, 50.0f, 30.0f, colour(255, 255, 255, 128));
    EXPECT_TRUE(near_colour(sim::pixel(45, 25), rgba(0, 64, 191))) << "both alphas count";
}

TEST_F(device_drawing, strips_and_fans_fill_their_triangles) {
    screen_vertex band[4] = {at(4, 4), at(4, 14), at(24, 4), at(24, 14)};
    host_render_2d(primitive_triangle_strip, band, 4);
    EXPECT_EQ(count_pixels(white), 20u * 10u);

    // The module's arc: centre, rim, centre, rim... only rim-centre-rim has area.
    sim::clear_frame(background);
    screen_vertex arc[5] = {at(40, 40), at(60, 40), at(40, 40), at(40, 20), at(40, 40)};
    host_render_2d(primitive_triangle_strip, arc, 5);
    const std::size_t wedge = count_pixels(white);
    sim::clear_frame(background);
    screen_vertex triangle[3] = {at(40, 40), at(60, 40), at(40, 20)};
    host_render_2d(primitive_triangle_fan, triangle, 3);
    EXPECT_EQ(count_pixels(white), wedge);
    EXPECT_NEAR(static_cast<double>(wedge), 200.0, 20.0);
}

TEST_F(device_drawing, shapes_without_area_or_outside_the_frame_are_safe) {
    const auto before = sim::frame();
    screen_vertex line[3] = {at(0, 0), at(10, 10), at(20, 20)};
    host_render_2d(primitive_triangle_fan, line, 3);
    draw_sprite(5.0f, 5.0f, 5.0f, 30.0f, colour(255, 255, 255, 255));
    const float nan = std::nanf("");
    screen_vertex broken[3] = {at(nan, 0), at(10, 0), at(0, 10)};
    host_render_2d(primitive_triangle_fan, broken, 3);
    host_render_2d(primitive_triangle_fan, line, 2);
    host_render_2d(primitive_triangle_fan, nullptr, 4);
    host_render_2d(7, line, 3);
    EXPECT_EQ(sim::frame(), before);

    draw_sprite(-1e6f, -1e6f, 1e6f, 1e6f, colour(255, 255, 255, 255));
    EXPECT_EQ(count_pixels(white), 64u * 48u);
}

TEST_F(device_drawing, frames_without_pixels_only_log) {
    sim::set_drawing_enabled(false);
    draw_sprite(0.0f, 0.0f, 64.0f, 48.0f, colour(255, 255, 255, 255));
    EXPECT_EQ(count_pixels(background), 64u * 48u);
    sim::set_drawing_enabled(true);
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{8193, 16}}) {
        sim::set_screen(width, height);
        draw_sprite(0.0f, 0.0f, 64.0f, 48.0f, colour(255, 255, 255, 255));
        EXPECT_FALSE(sim::write_frame_png("never_written.png")) << width;
    }
    EXPECT_NE(sim::drawing_error().find("8193x16"), std::string::npos) << sim::drawing_error();
    EXPECT_EQ(sim::count_of(sim::host_fn::render_2d), 3u);

    sim::set_screen(64, 48);
    draw_sprite(0.0f, 0.0f, 64.0f, 48.0f, colour(255, 255, 255, 255));
    EXPECT_EQ(count_pixels(white), 64u * 48u) << "a drawable frame draws again";
}

// A frame to look at: a four-colour texture and a blended one on the
// backdrop, under a translucent band.
TEST_F(device_drawing, writes_a_frame_as_png) {
    sim::set_screen(256, 160);
    sim::paint_backdrop();
    select(sim::add_texture(2, 2, {red, green, blue, white}, nearest));
    draw_sprite(16.0f, 16.0f, 112.0f, 112.0f, colour(255, 255, 255, 255));
    select(sim::add_texture(
        2, 2, {rgba(255, 255, 0), rgba(255, 0, 255), rgba(0, 255, 255), rgba(0, 0, 0, 0)}));
    draw_sprite(144.0f, 16.0f, 240.0f, 112.0f, colour(255, 255, 255, 255));
    select(nullptr);
    draw_sprite(0.0f, 96.0f, 256.0f, 144.0f, colour(0, 0, 0, 160));
    const std::string path = "host_test_quad.png";
    std::remove(path.c_str());
    EXPECT_TRUE(sim::write_frame_png(path));
}

} // namespace
