// The device decodes a DXT5 texture from a dictionary as the encoder itself
// decodes it: the simulated host must hand the blocks to the device in the
// file's own format, not decode or convert them on the way.
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int side = 64;
constexpr int left = 8;
constexpr int top = 4;

int channel(std::uint32_t pixel, int index) {
    return static_cast<int>((pixel >> (8 * index)) & 0xFF);
}

// One level of the crop over an opaque backdrop at 1:1, each texel on its
// pixel: the rectangle starts half a pixel early because pixel centres sit
// on whole coordinates.
std::vector<std::uint32_t> drawn_over(const host_texture* texture, std::uint32_t backdrop) {
    sim::clear_frame(backdrop);
    host_set_render_state(render_state_texture, texture->render_id);
    host_color white{};
    host_make_color(white, 255, 255, 255, 255);
    host_rect rect{};
    host_make_rect(rect, left - 0.5f, top - 0.5f, left + side - 0.5f, top + side - 0.5f);
    host_draw_textured_quad(rect, white, white, white, white, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f,
                            1.0f, 1.0f);
    host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels.push_back(sim::pixel(left + x, top + y));
    return pixels;
}

TEST(dxt_device, decodes_a_dxt5_level_as_the_encoder_does) {
    sim::reset_state();
    sim::set_drawing_enabled(true);
    sim::set_screen(80, 72);
    sim::set_asset_root(FIXTURE_FOLDER);
    std::ifstream in(FIXTURE_FOLDER "/dxt5_crop_decoded.rgba", std::ios::binary);
    const std::vector<std::uint8_t> expected{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(side * side * 4));
    host_txd_handle dictionary = host_load_txd("dxt5_crop.txd");
    ASSERT_NE(dictionary, nullptr);
    const host_texture* texture = host_txd_texture(dictionary);

    // Blended over black the frame holds colour times alpha; over white,
    // 255 - alpha more.
    const auto over_black = drawn_over(texture, 0xFF000000);
    const auto over_white = drawn_over(texture, 0xFFFFFFFF);
    ASSERT_EQ(sim::drawing_error(), "");
    int alpha_seen = 0;
    for (int i = 0; i < side * side; ++i) {
        const int alpha = expected[i * 4 + 3];
        alpha_seen |= 1 << (alpha / 32);
        for (int c = 0; c < 3; ++c) {
            const int black = channel(over_black[i], c);
            const double premultiplied = expected[i * 4 + c] * alpha / 255.0;
            // One level of colour, and half of one where the blend rounds.
            ASSERT_LE(std::abs(black - premultiplied), 1.5) << "texel " << i << " channel " << c;
            // Two levels of alpha, and one where the two blends round.
            const int device_alpha = 255 - (channel(over_white[i], c) - black);
            ASSERT_LE(std::abs(device_alpha - alpha), 3) << "texel " << i << " channel " << c;
        }
    }
    // The crop spans clear, partly covered and opaque texels.
    EXPECT_EQ(alpha_seen & 0x81, 0x81);
    EXPECT_NE(alpha_seen & 0x7E, 0);
    host_release_txd(dictionary);
}

} // namespace
