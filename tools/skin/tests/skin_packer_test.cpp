// The skin packer: what it refuses, with one line and no file written or
// replaced, and a real PNG through to a dictionary the module can load.
#include "assets/texture_dictionary.hpp"
#include "command_line.hpp"
#include "console.hpp"
#include "dictionary_target.hpp"
#include "dropped_png.hpp"
#include "dxt_decoder.hpp"
#include "png_input.hpp"
#include "preview_launch.hpp"
#include "skin_layout.hpp"
#include "skin_pack.hpp"
#include "utf8_path.hpp"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "png_builder.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<char> file_bytes(const std::string& path) {
    std::ifstream file(skin::utf8_path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

template <typename Byte> void write_bytes(const std::string& path, const std::vector<Byte>& bytes) {
    std::ofstream(skin::utf8_path(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// The green disc on the dial face of a 512x256 skin.
bool in_disc(int x, int y) {
    return std::hypot(x + 0.5 - 72.75, y + 0.5 - 72.75) < 60;
}

std::vector<std::uint8_t> skin_png(test_png::kind kind = {}) {
    return test_png::make(kind, 512, 256, in_disc);
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

run pack(const std::string& png, const std::string& dictionary, bool uncompressed = false,
         bool quality = false) {
    std::FILE* report = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    const int status =
        skin::pack_skin({png, dictionary, uncompressed, quality, {}}, report, errors);
    return {status, read_all(errors), read_all(report)};
}

TEST(skin_packer, refuses_with_one_line_and_leaves_the_dictionary_in_place) {
    write_skin_png("good.png", 512, 256);
    auto cut = file_bytes("good.png");
    cut.resize(cut.size() / 2);
    write_bytes("cut.png", cut);
    write_bytes("text.png", std::vector<char>{'h', 'e', 'l', 'l', 'o'});
    auto headless = skin_png();
    headless[12] = 'X'; // the first chunk is no longer IHDR
    write_bytes("headless.png", headless);
    auto undecodable = skin_png();
    const std::size_t idat = 8 + 25 + 8; // signature, IHDR, IDAT's length and type
    // The IDAT's checksum made again over a change: only the inflation tells.
    const auto summed_again = [&](std::vector<std::uint8_t> png) {
        const std::size_t length = std::size_t{png[idat - 8]} << 24 | png[idat - 7] << 16 |
                                   png[idat - 6] << 8 | png[idat - 5];
        const std::uint32_t crc = test_png::detail::crc(&png[idat - 4], length + 4);
        for (int i = 0; i < 4; ++i)
            png[idat + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        return png;
    };
    undecodable[idat] = undecodable[idat + 1] = 0; // no zlib stream
    write_bytes("undecodable.png", summed_again(undecodable));
    auto flipped = skin_png();
    flipped[idat + 200] ^= 0x10; // one byte, in a copy gone wrong
    write_bytes("flipped.png", flipped);
    write_bytes("flipped_summed.png", summed_again(flipped));
    std::filesystem::create_directories("folder.png");
    {
        std::ofstream big("big.png", std::ios::binary);
        const auto bytes = skin_png();
        big.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        big.seekp(skin::max_png_file_bytes); // one byte over, the rest a hole
        big.put(0);
    }
    write_bytes("at_most.png", skin_png({.header_width = 4096, .header_height = 2048}));
    write_bytes("huge.png", skin_png({.header_width = 8192, .header_height = 4096}));
    write_bytes("empty.png", skin_png({.header_width = 0, .header_height = 0}));
    write_bytes("vast.png", skin_png({.header_width = 100000, .header_height = 100000}));
    write_bytes("tall.png", skin_png({.header_width = 2048, .header_height = 1u << 30}));
    auto short_header = skin_png();
    short_header[11] = 12; // IHDR's length
    write_bytes("short_header.png", short_header);
    auto no_crc = skin_png();
    no_crc.resize(no_crc.size() - 2); // into IEND's CRC
    write_bytes("no_crc.png", no_crc);
    write_bytes("zero.png", std::vector<char>{});
    write_bytes("photo.png", std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'});
    write_skin_png("opaque.png", 512, 256, 3);
    write_bytes("palette.png", skin_png({.colour_type = 3}));
    write_skin_png("square.png", 512, 512);
    write_skin_png("small.png", 256, 128);
    write_skin_png("uneven.png", 600, 300);
    const struct {
        const char* png;
        const char* reason;
    } cases[] = {
        {"missing.png", "cannot open missing.png"},
        {"text.png", "is not a PNG file"},
        {"headless.png", "does not begin with a PNG header"},
        {"cut.png", "is cut short: the file ends before the image does"},
        {"undecodable.png", "is damaged: its pixels do not decode"},
        {"flipped.png", "is damaged: its IDAT chunk fails its checksum"},
        {"flipped_summed.png", "is damaged: its pixels do not decode (the image data does not "},
        {"folder.png", "cannot open folder.png: it is a folder"},
#ifdef _WIN32
        {"held.png", "cannot open held.png: another program has it open and lets no other"},
#endif
        {"big.png", "is 65 MB; a skin's PNG is at most 64 MB"},
        // Refused on the header's word, before 4096x2048 pixels are decoded
        // from a 512x256 image: the pixels would not decode.
        {"at_most.png", "its pixels do not decode"},
        {"huge.png", "is 8192x4096"},
        {"empty.png", "is 0x0"},
        {"vast.png", "is 100000x100000"},
        {"tall.png", "is 2048x1073741824"},
        {"short_header.png", "does not begin with a PNG header"},
        {"no_crc.png", "is cut short"},
        {"zero.png", "is empty (0 bytes): save the PNG again"},
        {"photo.png", "is a JPEG picture, which has no transparency"},
        {"opaque.png", "has no alpha channel: the gauge needs transparency around its sprites; "
                       "start from speedometer.png"},
        {"palette.png", "has no alpha channel"},
        {"square.png", "is 512x512"},
        {"small.png", "is 256x128"},
        {"uneven.png", "is 600x300"},
    };
    const std::vector<char> previous = {'o', 'l', 'd'};
#ifdef _WIN32
    // Opened as a paint program saving it would, sharing it with no one.
    write_skin_png("held.png", 512, 256);
    const HANDLE held =
        CreateFileW(L"held.png", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const HANDLE held_txd =
        CreateFileW(L"held.txd", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
#endif
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
    // A dictionary that cannot be written, by its cause.
    std::filesystem::create_directories("folder.txd");
    EXPECT_EQ(
        pack("good.png", "folder.txd").errors.find("refused: cannot write folder.txd: it is a"),
        0u);
#ifdef _WIN32
    EXPECT_EQ(pack("good.png", "held.txd").errors.find("refused: cannot replace held.txd: another"),
              0u);
    CloseHandle(held);
    CloseHandle(held_txd);
#endif
    std::filesystem::resize_file("big.png", skin::max_png_file_bytes);
    EXPECT_EQ(pack("big.png", "skin.txd").status, 0) << "64 MB at most, 64 MB taken";
}

// What paint programs and PNG optimisers write: every kind with transparency
// is taken, a transparent colour (tRNS) as alpha.
TEST(skin_packer, takes_every_kind_of_png_with_transparency) {
    const struct {
        const char* png;
        test_png::kind kind;
        std::uint8_t ink[4];
    } cases[] = {
        {"rgba8.png", {.colour_type = 6}, {40, 200, 120, 255}},
        {"rgba16.png", {.colour_type = 6, .depth = 16}, {40, 200, 120, 255}},
        {"palette.png", {.colour_type = 3, .transparent_colour = true}, {40, 200, 120, 255}},
        {"grey_alpha.png", {.colour_type = 4}, {200, 200, 200, 255}},
        {"grey_alpha16.png", {.colour_type = 4, .depth = 16}, {200, 200, 200, 255}},
        {"rgb_trns.png", {.colour_type = 2, .transparent_colour = true}, {40, 200, 120, 255}},
        {"grey_trns.png", {.colour_type = 0, .transparent_colour = true}, {200, 200, 200, 255}},
        {"interlaced.png", {.colour_type = 6, .interlaced = true}, {40, 200, 120, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.png);
        write_bytes(c.png, skin_png(c.kind));
        const run r = pack(c.png, "taken.txd", true);
        ASSERT_EQ(r.status, 0) << r.errors;
        const auto read = txd::read_file("taken.txd");
        ASSERT_TRUE(read);
        const auto& pixels = (*read)[0].rgba;
        const std::size_t middle = (72u * 512 + 72u) * 4, clear = (72u * 512 + 200u) * 4;
        EXPECT_TRUE(std::equal(c.ink, c.ink + 4, &pixels[middle]));
        EXPECT_EQ(pixels[clear + 3], 0);
    }
}

TEST(skin_packer, packs_a_png_into_a_full_dxt5_chain_that_replaces_the_old_dictionary) {
    write_skin_png("round_trip.png", 512, 256);
    write_bytes("round_trip.txd", std::vector<char>{'o', 'l', 'd'});
    EXPECT_EQ(pack("round_trip.png", "round_trip.txd").report.find("level "), std::string::npos);
    const run r = pack("round_trip.png", "round_trip.txd", false, true);
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

// Each rule at its edge: ink whose filtered alpha reaches just past 8 of 255
// on a neighbour's outline, and one texel of ink just inside a sprite.
TEST(skin_packer, warns_of_empty_sprites_and_ink_that_bleeds_into_a_neighbour) {
    struct ink_rect {
        int left, top, right, bottom; // texels of a 512x256 skin
        std::uint8_t alpha;
    };
    // The dial face is texels 0 to 145 square; the needle 329 to 336 across.
    const struct {
        const char* what;
        ink_rect ink;
        const char* warning;
        std::size_t warned; // lines that say it
        bool digit_dots = false;
    } cases[] = {
        {"disc grown to the arc",
         {0, 0, 146, 140, 255},
         "dial face: ink within 4 layout pixels of the progress arc's rectangle will bleed",
         true},
        {"faint face at the limit", {0, 0, 146, 146, 10}, "dial face: ink within", false},
        {"faint face over the limit", {0, 0, 146, 146, 11}, "dial face: ink within", true},
        {"a texel inside the needle",
         {336, 30, 337, 31, 1},
         "needle: its rectangle is fully transparent",
         false},
        {"flattened background",
         {0, 0, 512, 256, 255},
         "warning: no pixel is transparent: the background was flattened; start from "
         "speedometer.png, which has transparency, and keep its background clear",
         true},
        {"partly opaque background", {0, 0, 512, 256, 254}, "no pixel is transparent", false},
        {"partly opaque background", {0, 0, 512, 256, 254}, "background is not clear: 100%", true},
        {"ink all over the digits",
         {145, 140, 512, 256, 255},
         "warning: speed digits 0, 3, 4, 5, 6, 7, 8 and 9: ink within 4 layout pixels of a "
         "neighbour's rectangle",
         true},
        {"a texel beside the needle",
         {337, 30, 338, 31, 255},
         "needle: its rectangle is fully transparent",
         true},
        // Every digit inked well inside its cell: nothing bleeds.
        {"a dot in each digit's middle", {0, 0, 0, 0, 0}, "ink within", 0, true},
        {"ink all over the digits", {145, 140, 512, 256, 255}, "speed digits", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> pixels(512u * 256 * 4, 0);
        for (int y = c.ink.top; y < c.ink.bottom; ++y)
            for (int x = c.ink.left; x < c.ink.right; ++x)
                pixels[(static_cast<std::size_t>(y) * 512 + x) * 4 + 3] = c.ink.alpha;
        for (const skin::named_sprite& cell : skin::layout_sprites()) // 12x12 layout pixels
            for (int y = -3;
                 c.digit_dots && cell.name.find(" digit ") != std::string::npos && y < 3; ++y)
                for (int x = -3; x < 3; ++x)
                    pixels[(std::size_t((cell.rect.top + cell.rect.bottom) / 4 + y) * 512 +
                            (cell.rect.left + cell.rect.right) / 4 + x) *
                               4 +
                           3] = 255;
        ASSERT_TRUE(stbi_write_png("warned.png", 512, 256, 4, pixels.data(), 0));
        const run r = pack("warned.png", "warned.txd", true);
        ASSERT_EQ(r.status, 0) << r.errors;
        std::size_t lines = 0;
        for (std::size_t at = 0, end; (end = r.report.find('\n', at)) != std::string::npos;
             at = end + 1)
            lines += r.report.substr(at, end - at).find(c.warning) != std::string::npos;
        EXPECT_EQ(lines, c.warned) << r.report;
    }
}

// Skin makers keep their files under their own names, in their own script.
TEST(skin_packer, reads_and_writes_through_folders_named_in_any_script) {
    std::filesystem::create_directories(skin::utf8_path("Игра"));
    write_bytes("Игра/скин.png", skin_png());
    std::filesystem::remove(skin::utf8_path("皮肤/models/speedometer_x.txd"));
    const run r = pack("Игра/скин.png", "皮肤/models/speedometer_x.txd", true);
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_NE(r.report.find("wrote 皮肤/models/speedometer_x.txd"), std::string::npos) << r.report;
    EXPECT_TRUE(txd::read_file(skin::utf8_path("皮肤/models/speedometer_x.txd")));
    EXPECT_NE(pack("Игра/нет.png", "x.txd").errors.find("cannot open Игра/нет.png"),
              std::string::npos);
}

TEST(skin_packer, names_a_dropped_pngs_skin_as_the_settings_file_takes_it) {
    const struct {
        const char* png;
        const char* name;
        bool mph;
        bool renamed;
    } cases[] = {
        {"carbon.png", "carbon", false, false},
        {"Carbon.png", "carbon", false, true},
        {"neon_mph.png", "neon", true, false},
        {"My Skin (v2).final.png", "my_skin_v2_final", false, true},
        {"(1) light.png", "1_light", false, true},
        {"Игра.png", "igra", false, true},
        {"Скин_mph.png", "skin", true, true},
        {"Щука ёж.png", "shchuka_yozh", false, true},
        {"Ярко.png", "yarko", false, true},
        {"Цех.png", "tsekh", false, true},
        {"Тсех.png", "tsekh-e60012", false, true},
        {"Кон.png", "kon", false, true},
        {"Конь.png", "kon-09577c", false, true},
        {"Ель.png", "el-15169b", false, true},
        {"Эль.png", "el-899d1c", false, true},
        {"Ёж.png", "yozh", false, true},
        {"Йож.png", "yozh-d52e39", false, true},
        {"Ґрунт.png", "grunt-a70351", false, true},
        {"ґрунт.png", "grunt-a70351", false, true},
        {"Єва.png", "yeva-0f20bb", false, true},
        {"Ірина.png", "irina-138b1e", false, true},
        {"Їжак.png", "yizhak-b3ca0d", false, true},
        {"Ўсход_mph.png", "uskhod-f94d80", true, true},
        {"Огонь_mph.png", "ogon-43679c", true, true},
        {"Ночьmph.png", "nochmph-d02ecc", false, true},
        {"ЁЖ皮.png", "yozh-355e72", false, true},
        {"ёж皮.png", "yozh-355e72", false, true},
        {"皮肤.png", "skin-9d93d3", false, true},
        {"皮肤_mph.png", "skin-9d93d3", true, true},
        {"皮肤 2.png", "2-a35a9c", false, true},
        {"mph.png", "mph-aba856", false, true},
        {"_mph.png", "_mph-c6d67a", false, true},
        {"_mph_mph.png", "_mph-c6d67a", true, true},
        {"a_mph.png", "a", true, false},
        {"a_mph_mph.png", "a_mph-490cd9", true, true},
        {"neon-mph.png", "neon", true, true},
        {"speedometer_neon.png", "neon", false, true},
        {"light.png", "light-4c60e5", false, true},
        {"Light_MPH.png", "light-4c60e5", true, true},
        {"none.png", "none-e27250", false, true},
        // Each Cyrillic letter another spelling writes alike takes the hash.
        {"Эхо.png", "ekho-2ef112", false, true},
        {"Ехо.png", "ekho", false, true},
        {"Сыр.png", "syr-0b77c4", false, true},
        {"Съел.png", "sel-03a265", false, true},
        // Capitals fold to small letters in Latin with accents and Greek too;
        // small letters keep the names they made.
        {"café.png", "caf-a505db", false, true},
        {"CAFÉ.png", "caf-a505db", false, true},
        {"Über.png", "ber-5c28fa", false, true},
        {"über.png", "ber-5c28fa", false, true},
        {"ΑΘΉΝΑ.png", "skin-564421", false, true},
        {"αθήνα.png", "skin-564421", false, true},
        {"abcdefghijklmnopqrstuvwxyz012345.png", "abcdefghijklmnopqrstuvwxyz012345", false, false},
        {"abcdefghijklmnopqrstuvwxyz0123456.png", "abcdefghijklmnopqrstuvwxy-ec5d62", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.png);
        const skin::dropped_skin s = skin::skin_for_png(c.png);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.mph, c.mph);
        EXPECT_EQ(s.renamed, c.renamed);
        EXPECT_TRUE(is_skin_name(s.name));
    }
    // The words on a name the package has taken, each for its own name.
    EXPECT_EQ(skin::target_for("none.png", "").notes.at(0).find("warning: none in speedometer.ini"),
              0u);
    EXPECT_EQ(skin::target_for("light.png", "").notes.at(0).find("warning: light is the name"), 0u);
    EXPECT_EQ(skin::utf8_path(skin::skin_for_png("Игра/Neon_MPH.png").dictionary_path),
              skin::utf8_path("Игра/speedometer_neon_mph.txd"));
}

// Output names the game's rule refuses, or the shipped artwork's, are
// refused before anything is read; a folder takes the name the PNG makes.
TEST(skin_packer, writes_only_a_skins_dictionary_or_into_a_folder) {
    std::filesystem::create_directories("my models");
    const struct {
        const char* output;
        const char* path; // nullptr: refused with `refusal`
        const char* skin;
        bool mph;
        const char* refusal;
    } cases[] = {
        {"speedometer_carbon.txd", nullptr, "", false,
         "speedometer_carbon.txd is the skin \"carbon\"'s dictionary, but Sky 2_mph.png makes "
         "speedometer_sky_2_mph.txd"},
        {"models/Speedometer_Sky_2_MPH.TXD", "models/Speedometer_Sky_2_MPH.TXD", "sky_2", true, ""},
        {"my models", "my models/speedometer_sky_2_mph.txd", "sky_2", true, ""},
        {"new models/", "new models/speedometer_sky_2_mph.txd", "sky_2", true, ""},
        {"new models\\", "new models\\/speedometer_sky_2_mph.txd", "sky_2", true, ""},
        {"новая2", nullptr, "", false, "no such folder: новая2"},
        {"models/speedometer_light.txd", nullptr, "", false,
         "speedometer_light.txd is the example"},
        {"speedometer_Light_MPH.txd", nullptr, "", false, "_MPH.txd is the example skin"},
        {"speedometer_sky_2.txd", nullptr, "", false, "is the km/h face's dictionary, but"},
        {"speedometer.txd", nullptr, "", false, "speedometer.txd is the shipped artwork"},
        {"m/SPEEDOMETER_MPH.txd", nullptr, "", false, "SPEEDOMETER_MPH.txd is the shipped artwork"},
        {"neon.txd", nullptr, "", false, "the game loads no skin from neon.txd: name it "},
        {"speedometer_My Skin!.txd", nullptr, "", false, "no skin from speedometer_My Skin!.txd"},
        {"speedometer_none.txd", nullptr, "", false, "no skin from speedometer_none.txd"},
        {"speedometer_a_mph_mph.txd", nullptr, "", false, "no skin from speedometer_a_mph_mph"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const skin::dictionary_target t = skin::target_for("Sky 2_mph.png", c.output);
        if (c.path == nullptr) {
            EXPECT_NE(t.refusal.find(c.refusal), std::string::npos) << t.refusal;
            continue;
        }
        EXPECT_EQ(t.refusal, "");
        EXPECT_EQ(skin::utf8_path(t.path), skin::utf8_path(c.path));
        EXPECT_EQ(t.skin, c.skin);
        EXPECT_EQ(t.mph, c.mph);
    }
    EXPECT_NE(skin::target_for("speedometer_x.TXD", "").refusal.find("speedometer_preview.exe"),
              std::string::npos);
    // The dictionary 1.2.0 made from the name, said once when it is there.
    std::filesystem::create_directories(skin::utf8_path("прежний"));
    std::ofstream(skin::utf8_path("прежний/speedometer_krasnyy.txd")) << "1.2.0";
    for (const auto& [png, count] :
         {std::pair{"прежний/Красный.png", 2u}, {"Красный.png", 1u}, {"прежний/krasnyy.png", 0u}})
        EXPECT_EQ(skin::target_for(png, "").notes.size(), count) << png;
    EXPECT_EQ(skin::target_for("прежний/Красный.png", "")
                  .notes[1]
                  .find("note: speedometer_krasnyy.txd here is what 1.2.0 packed from this PNG's"),
              0u);
}

TEST(skin_packer, reads_its_arguments_as_explorer_and_a_command_prompt_give_them) {
    using enum skin::packer_action;
    const struct {
        std::vector<std::string> arguments;
        skin::packer_action action;
        bool preview, waits;
    } cases[] = {
        {{}, usage, false, true},
        {{"a.png"}, drop, true, true},
        {{"a.png", "b.txd"}, pack, false, true},
        {{"a.png", "a folder"}, pack, false, true},
        {{"a.png", "b.psd"}, pack, false, true},
        {{"--preview", "a.png", "b.txd"}, pack, true, false},
        {{"a.png", "b.txd", "c"}, usage, false, true},
        {{"a.png", "a_mph.PNG"}, drop, true, true},
        {{"a.png", "b.png", "c.png"}, drop, true, true},
        {{"-32bit", "t.png"}, usage, false, false},
        {{"--watch", "a.png"}, watch, false, false},
        {{"--watch", "a.png", "b.png"}, usage, false, false},
        {{"--help"}, help, false, true},
        {{"/?"}, help, false, true},
        {{"--32bit", "--version"}, version, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.size());
        const skin::packer_command command = skin::parse_command(c.arguments);
        EXPECT_EQ(command.action, c.action);
        EXPECT_EQ(command.preview, c.preview);
        EXPECT_EQ(command.waits_for_key, c.waits);
    }
    EXPECT_EQ(skin::parse_command({"-32bit", "t.png"}).problem, "unknown option -32bit");
    EXPECT_EQ(skin::watch_arguments(skin::parse_command({"--watch", "--32bit", "a.png"})),
              (std::vector<std::string>{"--32bit", "--watch", "a.png"}));
    EXPECT_EQ(skin::formatted("%s=%d", "a", 1), "a=1");
}

// The program's output, and its status, run with these arguments (UTF-8) as
// Explorer runs it for a dropped file: the wide command line.
run run_packer(const std::string& arguments) {
#ifdef _WIN32
    const std::string command = ".\\speedometer_skin.exe " + arguments + " 2>&1";
    std::wstring wide(command.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, command.data(), static_cast<int>(command.size()),
                            wide.data(), static_cast<int>(wide.size()))));
    std::FILE* output = _wpopen(wide.c_str(), L"r");
#else
    std::FILE* output = popen(("./speedometer_skin " + arguments + " 2>&1").c_str(), "r");
#endif
    std::string text;
    for (int c; (c = std::fgetc(output)) != EOF;)
        text += static_cast<char>(c);
#ifdef _WIN32
    return {_pclose(output), "", text};
#else
    return {WEXITSTATUS(pclose(output)), "", text};
#endif
}

TEST(skin_packer, packs_a_dropped_png_beside_it_under_its_skins_name) {
    std::filesystem::create_directories(skin::utf8_path("Рабочий стол/皮肤"));
    write_bytes("Рабочий стол/皮肤/My Skin_mph.png", skin_png());
    const run r = run_packer("\"Рабочий стол/皮肤/My Skin_mph.png\"");
    ASSERT_EQ(r.status, 0) << r.report;
    EXPECT_NE(r.report.find("makes the skin \"my_skin\" (its mph face)"), std::string::npos)
        << r.report;
    EXPECT_NE(r.report.find("set skin = my_skin in speedometer.ini"), std::string::npos);
    EXPECT_TRUE(txd::read_file(skin::utf8_path("Рабочий стол/皮肤/speedometer_my_skin_mph.txd")));

    {
        std::ofstream big(skin::utf8_path("Рабочий стол/Big Skin.png"), std::ios::binary);
        big.seekp(skin::max_png_file_bytes);
        big.put(0);
    }
    const run big = run_packer("\"Рабочий стол/Big Skin.png\"");
    EXPECT_EQ(big.report.find("refused: Рабочий стол/Big Skin.png is 65 MB"), 0u) << big.report;
    const std::string version = run_packer("--version").report;
    EXPECT_EQ(version.find("speedometer_skin 1."), 0u);
    EXPECT_NE(run_packer("").report.find("drag its PNG in Explorer onto speedometer_skin.exe"),
              std::string::npos);
#ifdef _WIN32
    EXPECT_NE(version.find(" (commit "), std::string::npos) << version;
    // Run as invoked, without file virtualisation: a protected folder is said.
    const HMODULE packer =
        LoadLibraryExW(L"speedometer_skin.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC manifest = FindResourceW(packer, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(packer, manifest))),
                           SizeofResource(packer, manifest));
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos) << text;
    FreeLibrary(packer);
#endif
    write_bytes("Рабочий стол/Огонь.png", skin_png());
    write_bytes("Рабочий стол/Огонь_mph.png", skin_png());
    const run pair = run_packer("\"Рабочий стол/Огонь.png\" \"Рабочий стол/Огонь_mph.png\"");
    EXPECT_EQ(pair.status, 0) << pair.report;
#ifdef _WIN32 // the native packer has no previewer to start
    // One skin, one sheet: its two faces are previewed once, together.
    const std::size_t unseen = pair.report.find("is not beside this program\n");
    EXPECT_NE(unseen, std::string::npos) << pair.report;
    EXPECT_EQ(pair.report.find("is not beside", unseen + 1), std::string::npos) << pair.report;
#endif
    // Two names that make one skin: the second says it replaced the first.
    for (const char* png : {"三两", "丏倓"})
        write_bytes(std::string("Рабочий стол/") + png + ".png", skin_png());
    std::filesystem::remove(skin::utf8_path("Рабочий стол/speedometer_skin-c862f6.txd"));
    const std::string first = run_packer("\"Рабочий стол/三两.png\"").report,
                      second = run_packer("\"Рабочий стол/丏倓.png\"").report;
    EXPECT_NE(first.find("\nwrote Рабочий стол"), std::string::npos) << first;
    EXPECT_NE(second.find("\nreplaced Рабочий стол"), std::string::npos) << second;
    EXPECT_TRUE(txd::read_file(skin::utf8_path("Рабочий стол/speedometer_ogon-43679c_mph.txd")));
    write_bytes("Рабочий стол/speedometer_ogon-43679c.png", skin_png());
    const run same = run_packer("\"Рабочий стол/Огонь.png\" "
                                "\"Рабочий стол/speedometer_ogon-43679c.png\"");
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.report.find("speedometer_ogon-43679c.png both make"), std::string::npos)
        << same.report;
    const run refused = run_packer("\"Рабочий стол/皮肤/none.png\"");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.report.find("refused: cannot open Рабочий стол/皮肤/none.png"),
              std::string::npos)
        << refused.report;
}

} // namespace
