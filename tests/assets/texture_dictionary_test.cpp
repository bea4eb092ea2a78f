#include "assets/texture_dictionary.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

using bytes = std::vector<std::uint8_t>;

// Offsets into a file holding one texture.
constexpr std::size_t dictionary_header = 0;
constexpr std::size_t dictionary_struct = 12;
constexpr std::size_t texture_chunk = 28;
constexpr std::size_t texture_struct = 40;
constexpr std::size_t texture_header = 52;
constexpr std::size_t level_size_field = texture_header + 88;
constexpr std::size_t level_pixels = level_size_field + 4;

std::uint32_t u32_at(const bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t u16_at(const bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
void put_u32(bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 3 by 2 texture whose every pixel byte is distinct, so any swap shows.
txd::texture_image small_texture() {
    txd::texture_image t;
    t.name = "speedometer";
    t.width = 3;
    t.height = 2;
    for (int i = 0; i < 3 * 2 * 4; ++i)
        t.rgba.push_back(static_cast<std::uint8_t>(10 + i));
    return t;
}

bytes small_file() {
    return txd::encode({small_texture()});
}

bool refused(const bytes& b) {
    return !txd::decode(b).has_value();
}

void expect_chunk(const bytes& b, std::size_t at, std::uint32_t type, std::uint32_t size) {
    EXPECT_EQ(u32_at(b, at), type) << "chunk at " << at;
    EXPECT_EQ(u32_at(b, at + 4), size) << "chunk at " << at;
    EXPECT_EQ(u32_at(b, at + 8), 0x1803FFFFu) << "chunk at " << at;
}

TEST(TextureDictionaryLayout, SmallTextureMatchesTheHostsLayout) {
    const bytes b = small_file();
    const std::uint32_t level = 3 * 2 * 4;
    ASSERT_EQ(b.size(), level_pixels + level + 12 + 12);

    expect_chunk(b, dictionary_header, 0x16, static_cast<std::uint32_t>(b.size() - 12));
    expect_chunk(b, dictionary_struct, 0x01, 4);
    EXPECT_EQ(u16_at(b, dictionary_struct + 12), 1); // texture count
    EXPECT_EQ(u16_at(b, dictionary_struct + 14), 2); // device id
    expect_chunk(b, texture_chunk, 0x15, 12 + 88 + 4 + level + 12);
    expect_chunk(b, texture_struct, 0x01, 88 + 4 + level);

    const std::size_t h = texture_header;
    EXPECT_EQ(u32_at(b, h + 0x00), 9u);
    EXPECT_EQ(b[h + 0x04], 2);
    EXPECT_EQ(b[h + 0x05], 0x33);
    EXPECT_EQ(u16_at(b, h + 0x06), 0);
    const std::string name(reinterpret_cast<const char*>(&b[h + 0x08]));
    EXPECT_EQ(name, "speedometer");
    for (std::size_t i = h + 0x08 + name.size(); i < h + 0x48; ++i)
        EXPECT_EQ(b[i], 0) << "name or mask byte " << i - h;
    EXPECT_EQ(u32_at(b, h + 0x48), 0x0500u);
    EXPECT_EQ(u32_at(b, h + 0x4C), 21u);
    EXPECT_EQ(u16_at(b, h + 0x50), 3);
    EXPECT_EQ(u16_at(b, h + 0x52), 2);
    EXPECT_EQ(b[h + 0x54], 32);
    EXPECT_EQ(b[h + 0x55], 1);
    EXPECT_EQ(b[h + 0x56], 4);
    EXPECT_EQ(b[h + 0x57], 0x01);

    EXPECT_EQ(u32_at(b, level_size_field), level);
    const auto rgba = small_texture().rgba;
    for (std::size_t p = 0; p < rgba.size(); p += 4) {
        EXPECT_EQ(b[level_pixels + p + 0], rgba[p + 2]) << "blue of pixel " << p / 4;
        EXPECT_EQ(b[level_pixels + p + 1], rgba[p + 1]) << "green of pixel " << p / 4;
        EXPECT_EQ(b[level_pixels + p + 2], rgba[p + 0]) << "red of pixel " << p / 4;
        EXPECT_EQ(b[level_pixels + p + 3], rgba[p + 3]) << "alpha of pixel " << p / 4;
    }
    expect_chunk(b, level_pixels + level, 0x03, 0);      // texture extension
    expect_chunk(b, level_pixels + level + 12, 0x03, 0); // dictionary extension
}

TEST(TextureDictionaryLayout, AtlasSizedTextureHasTheHostsSizes) {
    txd::texture_image atlas;
    atlas.name = "speedometer";
    atlas.width = 1024;
    atlas.height = 512;
    atlas.rgba.assign(1024 * 512 * 4, 0x7F);
    const bytes b = txd::encode({atlas});
    EXPECT_EQ(b.size(), 2097320u);
    EXPECT_EQ(u32_at(b, dictionary_header + 4), 0x20009Cu);
    EXPECT_EQ(u32_at(b, texture_chunk + 4), 0x200074u);
    EXPECT_EQ(u32_at(b, texture_struct + 4), 0x20005Cu);
}

TEST(TextureDictionaryLayout, NamesAreWrittenLowerCase) {
    auto t = small_texture();
    t.name = "SpeedoMeter";
    const bytes b = txd::encode({t});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[texture_header + 8])), "speedometer");
}

TEST(TextureDictionaryWriting, RefusesWhatCannotBeStoredFaithfully) {
    auto too_long_name = small_texture();
    too_long_name.name = std::string(32, 'a');
    auto no_name = small_texture();
    no_name.name.clear();
    auto short_pixels = small_texture();
    short_pixels.rgba.pop_back();
    auto too_wide = small_texture();
    too_wide.width = 65536 + 3; // would wrap to 3 in the 16-bit field
    auto empty = small_texture();
    empty.width = 0;
    empty.rgba.clear();
    for (const auto& t : {too_long_name, no_name, short_pixels, too_wide, empty}) {
        EXPECT_TRUE(txd::encode({t}).empty());
        EXPECT_FALSE(txd::write_file("refused.txd", {t}));
    }
    auto mip_filter = small_texture();
    mip_filter.filter_mode = 3;
    auto unknown_addressing = small_texture();
    unknown_addressing.addressing = 0x35;
    for (const auto& t : {mip_filter, unknown_addressing}) {
        EXPECT_TRUE(txd::encode({t}).empty());
    }
    auto longest_name = small_texture();
    longest_name.name = std::string(31, 'a');
    EXPECT_FALSE(txd::encode({longest_name}).empty());
}

TEST(TextureDictionaryRoundTrip, DecodesWhatItEncodes) {
    auto second = small_texture();
    second.name = "other";
    second.width = 1;
    second.height = 1;
    second.rgba = {1, 2, 3, 4};
    second.filter_mode = 1;
    second.addressing = 0x21; // v mirrored, u wrapped
    const auto decoded = txd::decode(txd::encode({small_texture(), second}));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 2u);
    const auto original = small_texture();
    EXPECT_EQ((*decoded)[0].name, original.name);
    EXPECT_EQ((*decoded)[0].width, 3);
    EXPECT_EQ((*decoded)[0].height, 2);
    EXPECT_EQ((*decoded)[0].rgba, original.rgba);
    EXPECT_EQ((*decoded)[1].name, "other");
    EXPECT_EQ((*decoded)[1].rgba, second.rgba);
    EXPECT_EQ((*decoded)[0].filter_mode, 2);
    EXPECT_EQ((*decoded)[0].addressing, 0x33);
    EXPECT_EQ((*decoded)[1].filter_mode, 1);
    EXPECT_EQ((*decoded)[1].addressing, 0x21);
}

TEST(TextureDictionaryRoundTrip, ThroughAFile) {
    const std::string path = "round_trip.txd";
    ASSERT_TRUE(txd::write_file(path, {small_texture()}));
    const auto read = txd::read_file(path);
    std::remove(path.c_str());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ((*read)[0].rgba, small_texture().rgba);
}

TEST(TextureDictionaryRoundTrip, MissingFileIsNotRead) {
    EXPECT_FALSE(txd::read_file("no_such_directory/no_such_file.txd"));
}

TEST(TextureDictionaryReading, RefusesEveryTruncation) {
    const bytes full = small_file();
    ASSERT_FALSE(refused(full));
    for (std::size_t length = 0; length < full.size(); ++length)
        EXPECT_TRUE(refused(bytes(full.begin(), full.begin() + length))) << "length " << length;
}

TEST(TextureDictionaryReading, IgnoresBytesAfterTheDictionaryButNotInside) {
    bytes b = small_file();
    b.push_back(0); // as an archive's sectors pad it
    EXPECT_FALSE(refused(b));
    // Refused when the dictionary's own size claims them.
    put_u32(b, dictionary_header + 4, u32_at(b, dictionary_header + 4) + 1);
    EXPECT_TRUE(refused(b));
}

TEST(TextureDictionaryReading, RefusesAnyWrongChunkSize) {
    const bytes good = small_file();
    const std::size_t level = 3 * 2 * 4;
    const std::size_t size_fields[] = {dictionary_header + 4,    dictionary_struct + 4,
                                       texture_chunk + 4,        texture_struct + 4,
                                       level_size_field,         level_pixels + level + 4,
                                       level_pixels + level + 16};
    for (std::size_t at : size_fields) {
        for (std::uint32_t delta : {0xFFFFFFFCu, 0xFFFFFFFFu, 1u, 4u, 0x7FFFFFFFu, 0xFFFFFFF0u}) {
            bytes b = good;
            put_u32(b, at, u32_at(b, at) + delta);
            EXPECT_TRUE(refused(b)) << "size field at " << at << " changed by " << delta;
        }
    }
}

TEST(TextureDictionaryReading, RefusesWrongCountsAndStamps) {
    const bytes good = small_file();
    for (std::uint16_t count : {0, 2, 0xFFFF}) {
        bytes b = good;
        b[dictionary_struct + 12] = static_cast<std::uint8_t>(count);
        b[dictionary_struct + 13] = static_cast<std::uint8_t>(count >> 8);
        EXPECT_TRUE(refused(b)) << "texture count " << count;
    }
    for (std::size_t chunk : {dictionary_header, dictionary_struct, texture_chunk, texture_struct,
                              level_pixels + 24, level_pixels + 36}) {
        bytes b = good;
        put_u32(b, chunk + 8, 0x1C020065); // a newer library generation
        EXPECT_TRUE(refused(b)) << "version of chunk at " << chunk;
        b = good;
        put_u32(b, chunk, 0x02);
        EXPECT_TRUE(refused(b)) << "type of chunk at " << chunk;
    }
}

TEST(TextureDictionaryReading, RefusesTexturesOfAnotherKind) {
    const bytes good = small_file();
    const std::size_t h = texture_header;
    struct change {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width;
    };
    const change changes[] = {
        {"platform", h + 0x00, 8, 4},
        {"no filter", h + 0x04, 0, 1},
        {"mip filter", h + 0x04, 3, 1},
        {"no addressing", h + 0x05, 0x00, 1},
        {"empty name", h + 0x08, 0, 1},
        {"unknown v addressing", h + 0x05, 0x53, 1},
        {"24-bit raster", h + 0x48, 0x0600, 4},
        {"raster with mip levels", h + 0x48, 0x8500, 4},
        {"format without alpha", h + 0x4C, 22, 4},
        {"zero width", h + 0x50, 0, 2},
        {"zero height", h + 0x52, 0, 2},
        {"24 bits a pixel", h + 0x54, 24, 1},
        {"two levels", h + 0x55, 2, 1},
        {"raster type", h + 0x56, 1, 1},
        {"no alpha flag", h + 0x57, 0x00, 1},
        {"compressed flag", h + 0x57, 0x09, 1},
    };
    for (const auto& c : changes) {
        bytes b = good;
        for (int i = 0; i < c.width; ++i)
            b[c.at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        EXPECT_TRUE(refused(b)) << c.what;
    }
    bytes unterminated_name = good;
    std::fill_n(unterminated_name.begin() + h + 0x08, 32, 'a');
    EXPECT_TRUE(refused(unterminated_name));
}

TEST(TextureDictionaryReading, RefusesAHugeTextureBeforeAllocating) {
    // Consistent sizes all round, but far beyond any texture the host uses.
    bytes b = small_file();
    b[texture_header + 0x50] = 0xFF;
    b[texture_header + 0x51] = 0xFF;
    b[texture_header + 0x52] = 0xFF;
    b[texture_header + 0x53] = 0xFF;
    put_u32(b, level_size_field, 0xFFFFu * 0xFFFFu * 4u);
    EXPECT_TRUE(refused(b));
}

TEST(TextureDictionaryReading, RefusesAnOversizedFile) {
    const std::string path = "oversized.txd";
    {
        bytes b = small_file();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        out.seekp((64 << 20) + 16);
        out.put(0);
    }
    EXPECT_FALSE(txd::read_file(path));
    std::remove(path.c_str());
}

} // namespace
