// What the previewer says of a dictionary before it draws it: refusals for
// what the game's layout cannot take, warnings for what the packer would
// have done otherwise.
#include "assets/mip_chain.hpp"
#include "assets/texture_dictionary.hpp"
#include "dictionary_check.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

txd::texture_image skin_texture(int width, int height, bool every_level,
                                txd::pixel_encoding encoding = txd::pixel_encoding::rgba32) {
    txd::texture_image texture;
    texture.name = "speedometer";
    texture.width = width;
    texture.height = height;
    texture.encoding = encoding;
    texture.rgba.assign(txd::level_byte_count(encoding, width, height), 0xFF);
    if (every_level) {
        if (encoding == txd::pixel_encoding::rgba32) {
            texture.mip_levels = txd::make_mip_levels(width, height, texture.rgba);
        } else {
            for (int level = 1; level < txd::mip_level_count(width, height); ++level)
                texture.mip_levels.emplace_back(
                    txd::level_byte_count(encoding, txd::mip_level_side(width, level),
                                          txd::mip_level_side(height, level)));
        }
        texture.filter_mode = 6;
    }
    return texture;
}

TEST(preview_dictionary_check,
     refuses_what_the_layout_cannot_take_and_warns_of_what_the_packer_fixes) {
    const auto dxt1 = txd::pixel_encoding::dxt1, dxt3 = txd::pixel_encoding::dxt3;
    const struct {
        const char* file;
        txd::texture_image texture;
        const char* refusal; // empty: drawn
        const char* warning; // expected among the warnings; empty: none of levels or format
    } cases[] = {
        {"full_chain.txd", skin_texture(512, 256, true), "", ""},
        {"one_level.txd", skin_texture(512, 256, false), "", "has 1 of the 10 levels"},
        {"dxt1.txd", skin_texture(512, 256, true, dxt1), "", "is DXT1"},
        {"dxt3.txd", skin_texture(512, 256, true, dxt3), "", "is DXT3"},
        // The sizes themselves are the packer's rule, tested with it.
        {"square.txd", skin_texture(512, 512, true), "is 512x512; a skin is twice as wide", ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(txd::write_file(c.file, {c.texture})) << c.file;
        const auto check = preview::check_dictionary(c.file, c.file);
        EXPECT_NE(check.refusal.find(c.refusal), std::string::npos)
            << c.file << ": " << check.refusal;
        EXPECT_EQ(check.refusal.empty(), *c.refusal == 0) << c.file;
        bool warned = false, about_levels_or_format = false;
        for (const auto& warning : check.warnings) {
            warned |= *c.warning != 0 && warning.find(c.warning) != std::string::npos;
            about_levels_or_format |= warning.starts_with("the dictionary");
        }
        EXPECT_EQ(about_levels_or_format, *c.warning != 0) << c.file;
        EXPECT_EQ(warned, *c.warning != 0) << c.file;
    }
    ASSERT_TRUE(txd::write_file("empty.txd", {}));
    EXPECT_NE(preview::check_dictionary("empty.txd", "x").refusal.find("holds no texture"),
              std::string::npos);
    std::ofstream("not_a_dictionary.txd") << "not a dictionary";
    std::ofstream("picture.txd", std::ios::binary) << "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR";
    for (const char* file : {"not_a_dictionary.txd", "picture.txd"}) { // in words, no numbers
        const std::string refusal = preview::check_dictionary(file, "x").refusal;
        EXPECT_NE(refusal.find(" with speedometer_skin"), std::string::npos) << refusal;
        EXPECT_EQ(refusal.find_first_of("0123456789"), std::string::npos) << refusal;
    }
    EXPECT_NE(preview::check_dictionary("picture.txd", "x").refusal.find("PNG picture"),
              std::string::npos);
}

} // namespace
