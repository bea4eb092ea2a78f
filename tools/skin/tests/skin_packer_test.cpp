// The skin packer: what it refuses, with one line and no file written or
// replaced, and a real PNG through to a dictionary the module can load.
#include "assets/texture_dictionary.hpp"
#include "dxt_decoder.hpp"
#include "skin_pack.hpp"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<char> file_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void write_bytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

// A skin of this size: a green disc on the dial face, the rest clear, with
// `channels` of 3 (no alpha) or 4.
void write_skin_png(const std::string& path, int width, int height, int channels = 4) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * channels, 0);
    const double scale = width / 1024.0;
    const unsigned char ink[] = {40, 200, 120, 255};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (std::hypot(x + 0.5 - 145.5 * scale, y + 0.5 - 145.5 * scale) < 120 * scale)
                std::copy_n(ink, channels, &pixels[(std::size_t(y) * width + x) * channels]);
    ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, channels, pixels.data(), 0));
}

struct run {
    int status;
    std::string errors;
    std::string report;
};

std::string read_all(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

run pack(const std::string& png, const std::string& dictionary, bool uncompressed = false) {
    std::FILE* report = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    const int status = skin::pack_skin({png, dictionary, uncompressed}, report, errors);
    return {status, read_all(errors), read_all(report)};
}

TEST(skin_packer, refuses_with_one_line_and_leaves_the_dictionary_in_place) {
    write_skin_png("good.png", 512, 256);
    const auto good = file_bytes("good.png");
    auto cut = good;
    cut.resize(cut.size() / 2);
    write_bytes("cut.png", cut);
    write_bytes("text.png", {'h', 'e', 'l', 'l', 'o'});
    write_skin_png("opaque.png", 512, 256, 3);
    write_skin_png("square.png", 512, 512);
    write_skin_png("small.png", 256, 128);
    write_skin_png("uneven.png", 600, 300);
    const struct {
        const char* png;
        const char* reason;
    } cases[] = {
        {"missing.png", "cannot open"},         {"text.png", "is not a PNG file"},
        {"cut.png", "is cut short or damaged"}, {"opaque.png", "has no alpha channel"},
        {"square.png", "is 512x512"},           {"small.png", "is 256x128"},
        {"uneven.png", "is 600x300"},
    };
    const std::vector<char> previous = {'o', 'l', 'd'};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.png);
        write_bytes("skin.txd", previous);
        const run r = pack(c.png, "skin.txd");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.errors.find(c.reason), std::string::npos) << r.errors;
        EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1) << "one line";
        EXPECT_EQ(file_bytes("skin.txd"), previous);
        EXPECT_TRUE(file_bytes("skin.txd.partial").empty());
    }
}

TEST(skin_packer, packs_a_png_into_a_full_dxt5_chain_that_replaces_the_old_dictionary) {
    write_skin_png("round_trip.png", 512, 256);
    write_bytes("round_trip.txd", {'o', 'l', 'd'});
    const run r = pack("round_trip.png", "round_trip.txd");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_NE(r.report.find("level  9"), std::string::npos) << r.report;
    // Only the disc has ink: every other sprite is reported as empty.
    EXPECT_NE(r.report.find("warning: needle: its rectangle is fully transparent"),
              std::string::npos)
        << r.report;
    EXPECT_EQ(r.report.find("warning: dial face"), std::string::npos) << r.report;

    std::string why;
    const auto read = txd::read_file("round_trip.txd", &why);
    ASSERT_TRUE(read) << why;
    ASSERT_EQ(read->size(), 1u);
    const txd::texture_image& t = (*read)[0];
    EXPECT_EQ(t.name, "speedometer");
    EXPECT_EQ(t.encoding, txd::pixel_encoding::dxt5);
    EXPECT_EQ(t.filter_mode, 6);
    ASSERT_EQ(t.width, 512);
    ASSERT_EQ(t.height, 256);
    EXPECT_EQ(t.mip_levels.size(), 9u);
    // The disc's middle comes back within the block format's steps.
    const auto pixels = dxt::decompress_level(t.encoding, t.width, t.height, t.rgba);
    const std::size_t middle = (72u * 512 + 72u) * 4;
    EXPECT_NEAR(pixels[middle + 1], 200, 4);
    EXPECT_EQ(pixels[middle + 3], 255);
    EXPECT_EQ(pixels[(200u * 512 + 400u) * 4 + 3], 0);

    ASSERT_EQ(pack("round_trip.png", "round_trip.txd", true).status, 0);
    const auto uncompressed = txd::read_file("round_trip.txd");
    ASSERT_TRUE(uncompressed);
    EXPECT_EQ((*uncompressed)[0].encoding, txd::pixel_encoding::rgba32);
}

// The Windows packer decodes with a decoder of its own (stb has none): its
// figures hold only if it decodes as the shipped artwork's encoder does.
TEST(skin_packer, decodes_blocks_exactly_as_libsquish_does) {
    const auto crop = txd::read_file(FIXTURE_FOLDER "/dxt5_crop.txd");
    ASSERT_TRUE(crop);
    const txd::texture_image& t = (*crop)[0];
    const auto decoded = dxt::decompress_level(t.encoding, t.width, t.height, t.rgba);
    const auto expected = file_bytes(FIXTURE_FOLDER "/dxt5_crop_decoded.rgba");
    EXPECT_TRUE(
        std::equal(decoded.begin(), decoded.end(), expected.begin(), expected.end(),
                   [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

TEST(skin_packer, warns_of_ink_that_bleeds_into_a_neighbour) {
    // The disc grown to touch the progress arc's rectangle.
    std::vector<unsigned char> pixels(512u * 256 * 4, 0);
    for (int y = 0; y < 140; ++y)
        for (int x = 0; x < 146; ++x)
            pixels[(static_cast<std::size_t>(y) * 512 + x) * 4 + 3] = 255;
    ASSERT_TRUE(stbi_write_png("bleeding.png", 512, 256, 4, pixels.data(), 0));
    const run r = pack("bleeding.png", "bleeding.txd");
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_NE(r.report.find("warning: dial face: ink within 4 layout pixels of the progress arc's "
                            "rectangle will bleed into it"),
              std::string::npos)
        << r.report;
    EXPECT_EQ(r.report.find("speed digit 1's"), std::string::npos) << r.report;
}

} // namespace
