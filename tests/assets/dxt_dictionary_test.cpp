// Block-compressed textures in the dictionary: each format written and read
// back unchanged with the header the host reads, and every header that would
// make a device read the blocks wrongly refused with its reason.
#include "assets/texture_dictionary.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

using bytes = std::vector<std::uint8_t>;
using txd::pixel_encoding;

constexpr std::size_t texture_header = 52;
constexpr std::size_t raster_format = texture_header + 0x48;
constexpr std::size_t pixel_format = texture_header + 0x4C;
constexpr std::size_t level_count = texture_header + 0x55;
constexpr std::size_t flags = texture_header + 0x57;
constexpr std::size_t first_level_size = texture_header + 88;

std::uint32_t u32_at(const bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
void put_u32(bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// By default 6 by 5: blocks that overhang both edges, and a chain of three
// levels (6x5, 3x2, 1x1) whose smaller levels still take a whole block each.
txd::texture_image chained(pixel_encoding encoding, bool has_alpha = true, int width = 6,
                           int height = 5) {
    txd::texture_image t;
    t.name = "speedometer";
    t.width = width;
    t.height = height;
    t.encoding = encoding;
    t.has_alpha = has_alpha;
    t.filter_mode = 6;
    std::uint8_t next = 1;
    for (int level = 0; level < txd::mip_level_count(width, height); ++level) {
        bytes data(txd::level_byte_count(encoding, txd::mip_level_side(width, level),
                                         txd::mip_level_side(height, level)));
        for (auto& b : data)
            b = next++;
        (level == 0 ? t.rgba : t.mip_levels.emplace_back()) = std::move(data);
    }
    return t;
}

TEST(CompressedDictionary, EachFormatRoundTripsWithTheHostsHeader) {
    struct format_case {
        pixel_encoding encoding;
        bool has_alpha;
        std::uint32_t pixel_format;
        std::uint32_t raster_format;
        std::uint8_t flags;
        std::size_t level0_bytes;
    };
    const format_case cases[] = {
        {pixel_encoding::rgba32, true, 21, 0x8500, 0x01, 6 * 5 * 4},
        {pixel_encoding::rgba32, false, 22, 0x8600, 0x00, 6 * 5 * 4},
        {pixel_encoding::dxt1, false, 0x31545844, 0x8200, 0x08, 2 * 2 * 8},
        {pixel_encoding::dxt1, true, 0x31545844, 0x8100, 0x09, 2 * 2 * 8},
        {pixel_encoding::dxt3, true, 0x33545844, 0x8300, 0x09, 2 * 2 * 16},
        {pixel_encoding::dxt5, true, 0x35545844, 0x8300, 0x09, 2 * 2 * 16},
    };
    for (const auto& c : cases) {
        const auto t = chained(c.encoding, c.has_alpha);
        const bytes b = txd::encode({t});
        ASSERT_FALSE(b.empty()) << c.pixel_format;
        EXPECT_EQ(u32_at(b, pixel_format), c.pixel_format);
        EXPECT_EQ(u32_at(b, raster_format), c.raster_format);
        EXPECT_EQ(b[flags], c.flags);
        EXPECT_EQ(u32_at(b, first_level_size), c.level0_bytes);
        std::string why;
        const auto decoded = txd::decode(b, &why);
        ASSERT_TRUE(decoded) << c.pixel_format << ": " << why;
        const auto& back = (*decoded)[0];
        EXPECT_EQ(back.encoding, t.encoding);
        EXPECT_EQ(back.has_alpha, t.has_alpha);
        EXPECT_EQ(back.rgba, t.rgba);
        EXPECT_EQ(back.mip_levels, t.mip_levels);
        EXPECT_EQ(b[level_count], 3);
    }
    // The atlas as the host loads it, to the byte.
    EXPECT_EQ(txd::encode({chained(pixel_encoding::dxt5, true, 2048, 1024)}).size(), 2796452u);
}

TEST(CompressedDictionary, RefusesHeadersThatWouldMisreadTheBlocks) {
    struct refused_case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        const char* reason;
    };
    const refused_case cases[] = {
        {"level 0 a byte short", first_level_size, 63, "level 0 holds 63 bytes"},
        {"level 0 a byte long", first_level_size, 65, "level 0 holds 65 bytes"},
        {"no compressed flag", flags, 0x01, "without the compressed flag"},
        {"DXT5 without alpha", flags, 0x08, "without the alpha flag"},
        {"DXT3 without alpha", pixel_format, 0x33545844, "DXT3 or DXT5 without the alpha"},
        {"automatic levels in the raster", raster_format, 0x9300, "automatic mip levels"},
        {"automatic levels in the flags", flags, 0x0D, "automatic mip levels"},
        {"chain without the mip bit", raster_format, 0x0300, "without the mip bit"},
        {"unknown code", pixel_format, 0x34545844, "pixel format"},
    };
    const bytes good = txd::encode({chained(pixel_encoding::dxt5)});
    ASSERT_TRUE(txd::decode(good));
    for (const auto& c : cases) {
        bytes b = good;
        if (c.at == flags)
            b[c.at] = static_cast<std::uint8_t>(c.value);
        else
            put_u32(b, c.at, c.value);
        if (c.at == pixel_format && c.value == 0x33545844)
            b[flags] = 0x08; // DXT3 without alpha
        std::string why;
        EXPECT_FALSE(txd::decode(b, &why)) << c.what;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
    }
    // DXT1 needs no alpha flag: the same change that refuses DXT5 is taken.
    bytes dxt1 = txd::encode({chained(pixel_encoding::dxt1, true)});
    dxt1[flags] = 0x08;
    EXPECT_TRUE(txd::decode(dxt1));
}

TEST(CompressedDictionary, ARefusedWriteLeavesTheGoodFileInPlace) {
    const std::string path = "kept.txd";
    ASSERT_TRUE(txd::write_file(path, {chained(pixel_encoding::dxt5)}));
    auto broken = chained(pixel_encoding::dxt5);
    broken.mip_levels[0].pop_back();
    EXPECT_FALSE(txd::write_file(path, {broken}));
    EXPECT_TRUE(txd::read_file(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    std::string why;
    EXPECT_FALSE(txd::read_file("no_such_file.txd", &why));
    EXPECT_EQ(why, "cannot be opened");
    std::remove(path.c_str());
}

} // namespace
