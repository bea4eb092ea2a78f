#include "dictionary_check.hpp"

#include "assets/texture_dictionary.hpp"
#include "dxt_decoder.hpp"
#include "skin_layout.hpp"
#include "skin_warnings.hpp"
#include "speedometer/dictionary_check.hpp"

#include <cstring>
#include <exception>
#include <fstream>

namespace preview {

namespace {

const char* encoding_name(txd::pixel_encoding encoding) {
    switch (encoding) {
    case txd::pixel_encoding::rgba32:
        return "32-bit";
    case txd::pixel_encoding::dxt1:
        return "DXT1";
    case txd::pixel_encoding::dxt3:
        return "DXT3";
    case txd::pixel_encoding::dxt5:
        return "DXT5";
    }
    return "unknown";
}

std::vector<std::uint8_t> level_zero_pixels(const txd::texture_image& texture) {
    if (texture.encoding == txd::pixel_encoding::rgba32)
        return texture.rgba;
    return dxt::decompress_level(texture.encoding, texture.width, texture.height, texture.rgba);
}

bool is_png(const std::filesystem::path& path) {
    char signature[8] = {};
    std::ifstream(path, std::ios::binary).read(signature, sizeof signature);
    return std::memcmp(signature, "\x89PNG\r\n\x1A\n", sizeof signature) == 0;
}

// What the module would write in the game's log, and what the skin maker
// can do about it.
std::string refusal_of(const dictionary_verdict& verdict, const std::filesystem::path& path,
                       const std::string& shown) {
    const dictionary_fault fault = verdict.fault;
    if (fault == dictionary_fault::missing || fault == dictionary_fault::unopened)
        return "cannot open " + shown;
    if (fault == dictionary_fault::not_a_dictionary && is_png(path))
        return shown + " is a PNG picture renamed, not a texture dictionary: pack the PNG with "
                       "speedometer_skin (drop it on speedometer_skin.exe)";
    return shown + " " + words_of(verdict).text +
           ", so the game does not load it: pack the skin's PNG again with speedometer_skin";
}

} // namespace

dictionary_check check_dictionary(const std::filesystem::path& path, const std::string& shown) {
    dictionary_check check;
    // The module's own check: a dictionary drawn here is one the game takes.
    const dictionary_verdict verdict = ::check_dictionary(path.c_str());
    if (verdict.fault != dictionary_fault::none) {
        check.refusal = refusal_of(verdict, path, shown);
        return check;
    }
    // The reader never refuses what the check passes; it only gives the pixels.
    std::string why;
    const auto textures = txd::read_file(path, &why);
    if (!textures || textures->empty()) {
        check.refusal = shown +
                        (textures ? " holds no texture, so the game draws no gauge"
                                  : " cannot be read (" + why + ")") +
                        ": pack the skin's PNG again with speedometer_skin";
        return check;
    }
    // The game draws the gauge from the dictionary's first texture.
    const txd::texture_image& texture = textures->front();
    if (!skin::allowed_size(texture.width, texture.height)) {
        check.refusal = shown + " is " + std::to_string(texture.width) + "x" +
                        std::to_string(texture.height) +
                        "; a skin is twice as wide as high, with power-of-two sides from "
                        "512x256 to 4096x2048";
        return check;
    }
    const int levels = static_cast<int>(texture.mip_levels.size()) + 1;
    const int full_chain = txd::mip_level_count(texture.width, texture.height);
    if (levels != full_chain)
        check.warnings.push_back(
            "the dictionary has " + std::to_string(levels) + " of the " +
            std::to_string(full_chain) +
            " levels; small screens draw from the full size alone, grainy and shimmering "
            "(speedometer_skin writes every level)");
    if (texture.encoding == txd::pixel_encoding::dxt1 ||
        texture.encoding == txd::pixel_encoding::dxt3)
        check.warnings.push_back(std::string("the dictionary is ") +
                                 encoding_name(texture.encoding) +
                                 "; its alpha loses the soft edges that DXT5 or 32-bit keep "
                                 "(speedometer_skin writes DXT5)");
    try {
        for (const std::string& warning :
             skin::skin_warnings(texture.width, texture.height, level_zero_pixels(texture)))
            check.warnings.push_back(warning);
    } catch (const std::exception& e) {
        check.refusal = shown + ": " + e.what();
    }
    return check;
}

} // namespace preview
