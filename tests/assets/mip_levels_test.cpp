// Textures with the whole chain of mip levels: how they are made, written
// and read back, and what a strict reader refuses.
#include "assets/mip_chain.hpp"
#include "assets/texture_dictionary.hpp"

#include <gtest/gtest.h>

namespace {

using bytes = std::vector<std::uint8_t>;

// Where a written texture's header and its first level start.
constexpr std::size_t texture_header = 52;
constexpr std::size_t first_level = texture_header + 88;

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
    const auto levels = txd::make_mip_levels(5, 3, bytes(5 * 3 * 4, 255));
    EXPECT_EQ(levels, (std::vector<bytes>{bytes(2 * 1 * 4, 255), bytes(1 * 1 * 4, 255)}));
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

TEST(MipLevels, AreReadBackAsWritten) {
    const auto t = mipped_texture();
    const bytes b = txd::encode({t});
    // Each level's pixels are stored blue, green, red, alpha, as the first's.
    EXPECT_EQ(b.at(first_level + 40 + 2), t.mip_levels[0][0]);
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
    auto short_last_level = mipped_texture();
    short_last_level.mip_levels.back().pop_back();
    auto plain_filter = mipped_texture();
    plain_filter.filter_mode = 2;
    auto beyond_mip_filters = mipped_texture();
    beyond_mip_filters.filter_mode = 7;
    for (const auto& t : {partial, short_level, short_last_level, plain_filter, beyond_mip_filters})
        EXPECT_TRUE(txd::encode({t}).empty());
    beyond_mip_filters.filter_mode = 3; // nearest between levels
    EXPECT_FALSE(txd::encode({beyond_mip_filters}).empty());
}

TEST(MipLevels, ReadingRefusesChainsThatDoNotAddUp) {
    const bytes good = txd::encode({mipped_texture()});
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

    // A chain one level short that adds up in itself: the count says two, the
    // last level's size and pixels are gone, every chunk is that much smaller.
    bytes partial = good;
    const std::size_t last_level = first_level + (4 + 32) + (4 + 8);
    partial.erase(partial.begin() + last_level, partial.begin() + last_level + 4 + 4);
    partial[texture_header + 0x55] = 2;
    for (std::size_t chunk_size_at : {4u, 32u, 44u})
        partial[chunk_size_at] -= 8;
    EXPECT_FALSE(txd::decode(partial)) << "a self-consistent partial chain";
}

TEST(MipLevels, DeepLevelsAreMadeFromTheUnroundedLevelAbove) {
    // Red 0, 1, 0, 0: the level below holds 0.5 and 0, which round to 1 and
    // 0; the last level is 0.25, which a chain of rounded levels makes 0.5
    // and so 1.
    const bytes rgba = {0, 0, 0, 255, 1, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    const auto levels = txd::make_mip_levels(4, 1, rgba);
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0], (bytes{1, 0, 0, 255, 0, 0, 0, 255}));
    EXPECT_EQ(levels[1], (bytes{0, 0, 0, 255}));
}

} // namespace
