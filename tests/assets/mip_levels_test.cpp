// Textures with the whole chain of mip levels: how they are made, written
// and read back, and what a strict reader refuses.
#include "assets/mip_chain.hpp"
#include "assets/texture_dictionary.hpp"

#include <gtest/gtest.h>

namespace {

using bytes = std::vector<std::uint8_t>;

constexpr std::size_t texture_struct = 40;
constexpr std::size_t texture_header = 52;
constexpr std::size_t first_level = texture_header + 88;

std::uint32_t u32_at(const bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// 4 by 2: levels 4x2, 2x1, 1x1.
txd::texture_image mipped_texture() {
    txd::texture_image t;
    t.name = "speedometer";
    t.width = 4;
    t.height = 2;
    for (int i = 0; i < 4 * 2 * 4; ++i)
        t.rgba.push_back(static_cast<std::uint8_t>(i % 4 == 3 ? 255 : 10 * i));
    t.mip_levels = txd::make_mip_levels(t.width, t.height, t.rgba);
    t.filter_mode = 6;
    return t;
}

TEST(MipLevels, ChainsHalveDownToOnePixel) {
    EXPECT_EQ(txd::mip_level_count(2048, 1024), 12);
    EXPECT_EQ(txd::mip_level_count(1, 1), 1);
    EXPECT_EQ(txd::mip_level_count(5, 3), 3);
    const auto levels = txd::make_mip_levels(5, 3, bytes(5 * 3 * 4, 255));
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].size(), 2u * 1 * 4);
    EXPECT_EQ(levels[1].size(), 1u * 1 * 4);
}

TEST(MipLevels, AreFilteredOnPremultipliedAlpha) {
    // An opaque red pixel among transparent green ones: the level is a
    // quarter-covered red, with no green from pixels nobody sees.
    const bytes red_among_green = {255, 0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0};
    EXPECT_EQ(txd::make_mip_levels(2, 2, red_among_green)[0], (bytes{255, 0, 0, 64}));
    // Half-covered white and opaque black: grey in proportion to coverage.
    const bytes white_and_black = {255, 255, 255, 128, 0, 0, 0, 255};
    EXPECT_EQ(txd::make_mip_levels(2, 1, white_and_black)[0], (bytes{85, 85, 85, 192}));
    // Nothing covered stays transparent black.
    EXPECT_EQ(txd::make_mip_levels(2, 1, bytes{9, 9, 9, 0, 9, 9, 9, 0})[0], (bytes{0, 0, 0, 0}));
}

TEST(MipLevels, AreWrittenAfterTheHeaderLargestFirst) {
    const auto t = mipped_texture();
    const bytes b = txd::encode({t});
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b[texture_header + 0x04], 6);
    EXPECT_EQ(u32_at(b, texture_header + 0x48), 0x8500u);
    EXPECT_EQ(b[texture_header + 0x55], 3);
    EXPECT_EQ(b[texture_header + 0x57], 0x01);
    EXPECT_EQ(u32_at(b, texture_struct + 4), 88u + (4 + 32) + (4 + 8) + (4 + 4));
    EXPECT_EQ(u32_at(b, first_level), 32u);
    EXPECT_EQ(u32_at(b, first_level + 36), 8u);
    EXPECT_EQ(b[first_level + 40 + 2], t.mip_levels[0][0]); // red stored third
    EXPECT_EQ(u32_at(b, first_level + 48), 4u);

    const auto decoded = txd::decode(b);
    ASSERT_TRUE(decoded);
    EXPECT_EQ((*decoded)[0].rgba, t.rgba);
    EXPECT_EQ((*decoded)[0].mip_levels, t.mip_levels);
    EXPECT_EQ((*decoded)[0].filter_mode, 6);
}

TEST(MipLevels, WritingRefusesAnythingButTheWholeChainWithAMipFilter) {
    auto partial = mipped_texture();
    partial.mip_levels.pop_back();
    auto short_level = mipped_texture();
    short_level.mip_levels[0].pop_back();
    auto plain_filter = mipped_texture();
    plain_filter.filter_mode = 2;
    auto beyond_mip_filters = mipped_texture();
    beyond_mip_filters.filter_mode = 7;
    for (const auto& t : {partial, short_level, plain_filter, beyond_mip_filters})
        EXPECT_TRUE(txd::encode({t}).empty());
    auto nearest_between = mipped_texture();
    nearest_between.filter_mode = 3;
    EXPECT_FALSE(txd::encode({nearest_between}).empty());
}

TEST(MipLevels, ReadingRefusesChainsThatDoNotAddUp) {
    const bytes good = txd::encode({mipped_texture()});
    ASSERT_TRUE(txd::decode(good));
    for (std::size_t length = 0; length < good.size(); length += 3)
        EXPECT_FALSE(txd::decode(bytes(good.begin(), good.begin() + length))) << length;
    const struct {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    } changes[] = {
        {"one level fewer", texture_header + 0x55, 2},
        {"one level more", texture_header + 0x55, 4},
        {"levels without the raster bit", texture_header + 0x49, 0x05},
        {"levels the device would make", texture_header + 0x49, 0x95},
        {"plain filter", texture_header + 0x04, 2},
        {"second level's size", first_level + 36, 12},
        {"last level's size", first_level + 48, 8},
    };
    for (const auto& c : changes) {
        bytes b = good;
        b[c.at] = c.value;
        EXPECT_FALSE(txd::decode(b)) << c.what;
    }
}

} // namespace
