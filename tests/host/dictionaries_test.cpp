// Texture dictionaries through the host: loaded from the asset folder by a
// backslashed path, their first texture drawable, released once.
#include "assets/texture_dictionary.hpp"
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string asset_root = "host_test_assets";

txd::texture_image two_by_one(std::uint8_t r, std::uint8_t g, std::uint8_t b,
                              std::uint8_t filter_mode = 1, std::uint8_t addressing = 0x33) {
    txd::texture_image image;
    image.name = "atlas";
    image.width = 2;
    image.height = 1;
    image.rgba = {r, g, b, 255, 0, 0, 0, 255};
    image.filter_mode = filter_mode;
    image.addressing = addressing;
    return image;
}

// The texture on a strip two pixels high from the left edge, u from 0 to u_right.
void draw_strip(const host_texture* texture, float width, float u_right) {
    host_set_render_state(render_state_texture, texture->render_id);
    host_rect rect{};
    host_color white{};
    host_make_rect(rect, 0.0f, 0.0f, width, 2.0f);
    host_make_color(white, 255, 255, 255, 255);
    host_draw_textured_quad(rect, white, white, white, white, 0, 0, u_right, 0, 0, 1, u_right, 1);
    host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
}

// 8 by 8 with its four levels each one colour, whatever a filter would make:
// red, green, blue, white from the largest down.
txd::texture_image levels_in_colours() {
    const std::uint32_t colours[] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF};
    txd::texture_image image;
    image.name = "levels";
    image.width = 8;
    image.height = 8;
    image.filter_mode = 3; // nearest within and between levels
    for (int level = 0; level < 4; ++level) {
        const int side = 8 >> level;
        auto& rgba = level == 0 ? image.rgba : image.mip_levels.emplace_back();
        for (int i = 0; i < side * side; ++i)
            for (int byte = 0; byte < 4; ++byte)
                rgba.push_back(static_cast<std::uint8_t>(colours[level] >> (8 * byte)));
    }
    return image;
}

class dictionaries : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(asset_root.c_str(), nullptr);
        CreateDirectoryA((asset_root + "/models").c_str(), nullptr);
        ASSERT_TRUE(txd::write_file(asset_root + "/models/two.txd",
                                    {two_by_one(250, 120, 10), two_by_one(1, 2, 3)}));
        const struct {
            const char* name;
            std::uint8_t filter_mode, addressing;
        } samplings[] = {{"nearest_clamp", 1, 0x33}, {"linear_clamp", 2, 0x33},
                         {"linear_wrap", 2, 0x11},   {"linear_mirror", 2, 0x22},
                         {"linear_u_wrap", 2, 0x31}, {"linear_v_wrap", 2, 0x13}};
        for (const auto& s : samplings) {
            ASSERT_TRUE(txd::write_file(asset_root + "/models/" + s.name + ".txd",
                                        {two_by_one(200, 0, 0, s.filter_mode, s.addressing)}));
        }
        ASSERT_TRUE(txd::write_file(asset_root + "/models/levels.txd", {levels_in_colours()}));
        std::ofstream(asset_root + "/models/broken.txd", std::ios::binary) << "not a dictionary";
    }

    void SetUp() override {
        sim::reset_state();
        sim::set_asset_root(asset_root);
        sim::set_screen(16, 16);
        sim::set_drawing_enabled(true);
        sim::clear_frame(0xFF000000);
    }
};

TEST_F(dictionaries, a_loaded_dictionary_gives_its_first_texture_to_draw_with) {
    const std::size_t loaded = sim::loaded_dictionary_count();
    host_txd_handle handle = host_load_txd("models\\two.txd");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(sim::loaded_dictionary_count(), loaded + 1);
    host_texture* texture = host_txd_texture(handle);
    ASSERT_NE(texture, nullptr);
    EXPECT_NE(texture->render_id, 0u);
    EXPECT_EQ(host_txd_texture(handle), texture);

    draw_strip(texture, 4.0f, 1.0f);
    EXPECT_EQ(sim::pixel(0, 0), 0xFF0A78FAu) << "the first texture's first texel";
    EXPECT_EQ(sim::pixel(3, 1), 0xFF000000u);

    const auto load = sim::calls_of(sim::host_fn::load_txd);
    ASSERT_EQ(load.size(), 1u);
    EXPECT_EQ(load[0].text_arg(0), "models\\two.txd");
    EXPECT_EQ(load[0].result, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)));

    host_release_txd(handle);
    EXPECT_EQ(sim::loaded_dictionary_count(), loaded);
}

// A red and a black texel twice across 16 pixels: pixel x samples at u x/8,
// 4 pixels a texel, centres at x 2, 6, 10 and 14 (the texels that follow
// are the addressing's business).
TEST_F(dictionaries, the_files_filter_and_addressing_decide_the_sampling) {
    const struct {
        const char* path;
        int red_at[4]; // x 0, 3, 10 and 14
    } cases[] = {{"models\\nearest_clamp.txd", {200, 200, 0, 0}},
                 {"models\\linear_clamp.txd", {200, 150, 0, 0}},
                 {"models\\linear_wrap.txd", {100, 150, 200, 0}},
                 {"models\\linear_mirror.txd", {200, 150, 0, 200}},
                 {"models\\linear_u_wrap.txd", {100, 150, 200, 0}},
                 {"models\\linear_v_wrap.txd", {200, 150, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        host_txd_handle handle = host_load_txd(c.path);
        ASSERT_NE(handle, nullptr);
        sim::clear_frame(0xFF000000);
        draw_strip(host_txd_texture(handle), 16.0f, 2.0f);
        host_release_txd(handle);
        const int xs[4] = {0, 3, 10, 14};
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(static_cast<int>(sim::pixel(xs[i], 0) & 0xFF), c.red_at[i], 2) << xs[i];
        }
    }
}

// The device gets every level of the file and the file's mip filter: drawn
// at half the size per level, the texture shows the next level's colour.
TEST_F(dictionaries, a_texture_drawn_smaller_samples_the_files_own_levels) {
    host_txd_handle handle = host_load_txd("models\\levels.txd");
    ASSERT_NE(handle, nullptr);
    const struct {
        float side;
        std::uint32_t pixel;
    } cases[] = {{8, 0xFF0000FF}, {4, 0xFF00FF00}, {2, 0xFFFF0000}, {1, 0xFFFFFFFF}};
    for (const auto& c : cases) {
        sim::clear_frame(0xFF000000);
        host_set_render_state(render_state_texture, host_txd_texture(handle)->render_id);
        host_rect rect{};
        host_color white{};
        host_make_rect(rect, 0.0f, 0.0f, c.side, c.side);
        host_make_color(white, 255, 255, 255, 255);
        host_draw_textured_quad(rect, white, white, white, white, 0, 0, 1, 0, 0, 1, 1, 1);
        host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
        EXPECT_EQ(sim::pixel(0, 0), c.pixel) << "drawn " << c.side << " pixels wide";
    }
    host_release_txd(handle);
}

TEST_F(dictionaries, missing_or_malformed_files_give_no_handle) {
    const std::size_t loaded = sim::loaded_dictionary_count();
    EXPECT_EQ(host_load_txd("models\\speedometer.txd"), nullptr);
    EXPECT_EQ(host_load_txd("models\\broken.txd"), nullptr);
    EXPECT_EQ(host_load_txd(nullptr), nullptr);
    sim::set_asset_root("no_such_folder");
    EXPECT_EQ(host_load_txd("models\\two.txd"), nullptr);
    EXPECT_EQ(sim::loaded_dictionary_count(), loaded);
    EXPECT_EQ(sim::count_of(sim::host_fn::load_txd), 4u);
}

TEST_F(dictionaries, released_and_unknown_handles_are_logged_and_ignored) {
    host_txd_handle handle = host_load_txd("models\\two.txd");
    ASSERT_NE(handle, nullptr);
    const std::uint32_t render_id = host_txd_texture(handle)->render_id;
    const std::size_t loaded = sim::loaded_dictionary_count();

    EXPECT_EQ(host_release_txd(handle), 1u);
    EXPECT_EQ(sim::loaded_dictionary_count(), loaded - 1);
    EXPECT_EQ(host_release_txd(handle), 0u) << "a second release does nothing";
    int not_a_dictionary = 0;
    EXPECT_EQ(host_release_txd(&not_a_dictionary), 0u);
    EXPECT_EQ(host_release_txd(nullptr), 0u);
    EXPECT_EQ(sim::loaded_dictionary_count(), loaded - 1);
    EXPECT_EQ(host_txd_texture(handle), nullptr);
    EXPECT_EQ(host_txd_texture(nullptr), nullptr);
    EXPECT_EQ(sim::count_of(sim::host_fn::release_txd), 4u);

    // The released texture's id selects nothing any more: plain vertex colour.
    sim::clear_frame(0xFF000000);
    host_set_render_state(render_state_texture, render_id);
    screen_vertex triangle[3] = {{0, 0, 0, 1, 0xFF00FF00, 0, 0},
                                 {16, 0, 0, 1, 0xFF00FF00, 1, 0},
                                 {0, 16, 0, 1, 0xFF00FF00, 0, 1}};
    host_render_2d(primitive_triangle_fan, triangle, 3);
    EXPECT_EQ(sim::pixel(1, 1), 0xFF00FF00u);
}

TEST_F(dictionaries, textures_added_in_memory_need_matching_sizes) {
    EXPECT_THROW(sim::add_texture(2, 2, {1, 2, 3}), std::invalid_argument);
    EXPECT_THROW(sim::add_texture(0, 0, {}), std::invalid_argument);
    const host_texture* a = sim::add_texture(1, 1, {0xFFFFFFFF});
    const host_texture* b = sim::add_texture(1, 1, {0xFFFFFFFF});
    EXPECT_NE(a->render_id, 0u);
    EXPECT_NE(a->render_id, b->render_id);
}

} // namespace
