// What the host's drawing puts on the screen: quads through the host's quad
// and render functions, strips, blending and the fill rule.
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

constexpr std::uint32_t rgba(std::uint32_t r, std::uint32_t g, std::uint32_t b,
                             std::uint32_t a = 255) {
    return r | g << 8 | b << 16 | a << 24;
}

int channel(std::uint32_t pixel, int index) {
    return static_cast<int>((pixel >> (8 * index)) & 0xFF);
}

constexpr std::uint32_t red = rgba(255, 0, 0);
constexpr std::uint32_t green = rgba(0, 255, 0);
constexpr std::uint32_t blue = rgba(0, 0, 255);
constexpr std::uint32_t white = rgba(255, 255, 255);
constexpr std::uint32_t background = rgba(10, 20, 30);

struct corner_colours {
    host_color left_top, right_top, left_bottom, right_bottom;
};

corner_colours all(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    host_color c{};
    host_make_color(c, r, g, b, a);
    return {c, c, c, c};
}

// The whole texture on the rectangle, as the module draws a sprite.
void draw_sprite(float left, float top, float right, float bottom, const corner_colours& c,
                 float u0 = 0.0f, float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
    host_rect rect{};
    host_make_rect(rect, left, top, right, bottom);
    host_draw_textured_quad(rect, c.left_top, c.right_top, c.left_bottom, c.right_bottom, u0, v0,
                            u1, v0, u0, v1, u1, v1);
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

class rasteriser : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::reset_state();
        sim::set_screen(64, 48);
        sim::clear_frame(background);
    }
};

TEST_F(rasteriser, four_colour_texture_lands_upright_on_its_rectangle) {
    sim::set_texture_filter(sim::texture_filter::nearest);
    select(sim::add_texture(2, 2, {red, green, blue, white}));
    draw_sprite(10.0f, 20.0f, 30.0f, 40.0f, all(255, 255, 255, 255));

    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
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

TEST_F(rasteriser, bilinear_sampling_is_exact_at_texel_centres_and_blends_between) {
    select(sim::add_texture(2, 2, {red, green, blue, white}));
    draw_sprite(0.0f, 0.0f, 2.0f, 2.0f, all(255, 255, 255, 255));
    EXPECT_EQ(sim::pixel(0, 0), red);
    EXPECT_EQ(sim::pixel(1, 0), green);
    EXPECT_EQ(sim::pixel(0, 1), blue);
    EXPECT_EQ(sim::pixel(1, 1), white);

    select(sim::add_texture(2, 1, {rgba(0, 0, 0), rgba(255, 255, 255)}));
    draw_sprite(10.0f, 10.0f, 14.0f, 11.0f, all(255, 255, 255, 255));
    const int expected[4] = {0, 64, 191, 255}; // edges clamp to the outer texels
    for (int x = 0; x < 4; ++x) {
        EXPECT_NEAR(channel(sim::pixel(10 + x, 10), 0), expected[x], 1) << x;
    }
}

TEST_F(rasteriser, texels_are_modulated_by_interpolated_vertex_colours) {
    select(sim::add_texture(1, 1, {rgba(200, 100, 50)}));
    draw_sprite(0.0f, 0.0f, 8.0f, 8.0f, all(128, 255, 0, 255));
    const std::uint32_t p = sim::pixel(4, 4);
    EXPECT_NEAR(channel(p, 0), 100, 1);
    EXPECT_NEAR(channel(p, 1), 100, 1);
    EXPECT_EQ(channel(p, 2), 0);

    // No texture: vertex colour alone, black on the left to white on the right.
    select(nullptr);
    host_color black{}, bright{};
    host_make_color(black, 0, 0, 0, 255);
    host_make_color(bright, 255, 255, 255, 255);
    draw_sprite(0.0f, 20.0f, 64.0f, 21.0f, {black, bright, black, bright});
    int previous = -1;
    for (int x = 0; x < 64; ++x) {
        const int value = channel(sim::pixel(x, 20), 1);
        EXPECT_GT(value, previous) << x;
        EXPECT_NEAR(value, (x + 0.5) * 255.0 / 64.0, 1.0) << x;
        previous = value;
    }
}

TEST_F(rasteriser, translucent_colour_blends_over_the_frame) {
    sim::clear_frame(blue);
    draw_sprite(0.0f, 0.0f, 10.0f, 10.0f, all(255, 0, 0, 128));
    const std::uint32_t p = sim::pixel(5, 5);
    EXPECT_NEAR(channel(p, 0), 128, 1);
    EXPECT_EQ(channel(p, 1), 0);
    EXPECT_NEAR(channel(p, 2), 127, 1);
    EXPECT_EQ(channel(p, 3), 255);

    draw_sprite(20.0f, 0.0f, 30.0f, 10.0f, all(255, 255, 255, 0));
    EXPECT_EQ(sim::pixel(25, 5), blue) << "fully transparent leaves the frame";

    // Texture alpha counts as well as vertex alpha.
    select(sim::add_texture(1, 1, {rgba(0, 255, 0, 128)}));
    draw_sprite(40.0f, 0.0f, 50.0f, 10.0f, all(255, 255, 255, 255));
    EXPECT_NEAR(channel(sim::pixel(45, 5), 1), 128, 1);
    EXPECT_NEAR(channel(sim::pixel(45, 5), 2), 127, 1);
}

TEST_F(rasteriser, shared_edges_are_filled_once) {
    sim::clear_frame(rgba(0, 0, 0));
    draw_sprite(3.0f, 3.0f, 43.0f, 33.0f, all(255, 255, 255, 128));
    // A fan of eight wedges round a centre, as a polygon.
    screen_vertex fan[10];
    fan[0] = at(53.0f, 30.0f, 0x80FFFFFF);
    for (int i = 0; i <= 8; ++i) {
        const double angle = i * 3.14159265358979 / 4.0;
        fan[i + 1] = at(53.0f + 10.0f * static_cast<float>(std::cos(angle)),
                        30.0f + 10.0f * static_cast<float>(std::sin(angle)), 0x80FFFFFF);
    }
    host_render_2d(primitive_triangle_fan, fan, 10);

    const std::uint32_t once = sim::pixel(10, 10);
    EXPECT_NEAR(channel(once, 0), 128, 1);
    for (int y = 3; y < 33; ++y) {
        for (int x = 3; x < 43; ++x) {
            ASSERT_EQ(sim::pixel(x, y), once) << x << "," << y;
        }
    }
    for (int y = 19; y < 41; ++y) {
        for (int x = 43; x < 64; ++x) {
            const std::uint32_t p = sim::pixel(x, y);
            ASSERT_TRUE(p == once || p == rgba(0, 0, 0)) << x << "," << y;
        }
    }
    EXPECT_NEAR(static_cast<double>(count_pixels(once)), 40.0 * 30.0 + 283.0, 10.0)
        << "the octagon is there too";
}

TEST_F(rasteriser, pixel_centres_decide_coverage) {
    draw_sprite(10.5f, 5.0f, 12.5f, 6.0f, all(255, 0, 0, 255));
    EXPECT_EQ(sim::pixel(9, 5), background);
    EXPECT_EQ(sim::pixel(10, 5), red) << "centre on the left edge is inside";
    EXPECT_EQ(sim::pixel(11, 5), red);
    EXPECT_EQ(sim::pixel(12, 5), background) << "centre on the right edge is outside";
    EXPECT_EQ(sim::pixel(10, 4), background);
    EXPECT_EQ(sim::pixel(10, 6), background);
    EXPECT_EQ(count_pixels(red), 2u);
}

TEST_F(rasteriser, strips_fill_between_consecutive_vertices) {
    screen_vertex band[4] = {at(4, 4), at(4, 14), at(24, 4), at(24, 14)};
    host_render_2d(primitive_triangle_strip, band, 4);
    EXPECT_EQ(count_pixels(white), 20u * 10u);
    EXPECT_EQ(sim::pixel(4, 4), white);
    EXPECT_EQ(sim::pixel(23, 13), white);
    EXPECT_EQ(sim::pixel(24, 13), background);

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

TEST_F(rasteriser, shapes_without_area_or_outside_the_frame_are_safe) {
    const auto before = sim::frame();
    screen_vertex line[3] = {at(0, 0), at(10, 10), at(20, 20)};
    host_render_2d(primitive_triangle_fan, line, 3);
    draw_sprite(5.0f, 5.0f, 5.0f, 30.0f, all(255, 255, 255, 255));
    const float nan = std::nanf("");
    screen_vertex broken[3] = {at(nan, 0), at(10, 0), at(0, 10)};
    host_render_2d(primitive_triangle_fan, broken, 3);
    host_render_2d(primitive_triangle_fan, line, 2);
    host_render_2d(primitive_triangle_fan, nullptr, 4);
    host_render_2d(7, line, 3);
    EXPECT_EQ(sim::frame(), before);

    draw_sprite(-1e6f, -1e6f, 1e6f, 1e6f, all(255, 255, 255, 255));
    EXPECT_EQ(count_pixels(white), 64u * 48u);
}

TEST_F(rasteriser, switched_off_it_only_logs) {
    sim::set_rasteriser_enabled(false);
    draw_sprite(0.0f, 0.0f, 64.0f, 48.0f, all(255, 255, 255, 255));
    EXPECT_EQ(count_pixels(background), 64u * 48u);
    EXPECT_EQ(sim::count_of(sim::host_fn::render_2d), 1u);
    sim::set_rasteriser_enabled(true);
    draw_sprite(0.0f, 0.0f, 64.0f, 48.0f, all(255, 255, 255, 255));
    EXPECT_EQ(count_pixels(white), 64u * 48u);
}

// A frame to look at: a four-colour texture and a gradient, on the backdrop,
// under a translucent band.
TEST_F(rasteriser, writes_a_frame_as_png) {
    sim::set_screen(256, 160);
    sim::paint_backdrop();
    sim::set_texture_filter(sim::texture_filter::nearest);
    select(sim::add_texture(2, 2, {red, green, blue, white}));
    draw_sprite(16.0f, 16.0f, 112.0f, 112.0f, all(255, 255, 255, 255));
    sim::set_texture_filter(sim::texture_filter::bilinear);
    select(sim::add_texture(
        2, 2, {rgba(255, 255, 0), rgba(255, 0, 255), rgba(0, 255, 255), rgba(0, 0, 0, 0)}));
    draw_sprite(144.0f, 16.0f, 240.0f, 112.0f, all(255, 255, 255, 255));
    select(nullptr);
    draw_sprite(0.0f, 96.0f, 256.0f, 144.0f, all(0, 0, 0, 160));

    const std::string path = "host_test_quad.png";
    std::remove(path.c_str());
    ASSERT_TRUE(sim::write_frame_png(path));
    std::ifstream file(path, std::ios::binary);
    char signature[8] = {};
    file.read(signature, sizeof signature);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

} // namespace
