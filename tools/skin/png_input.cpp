#include "png_input.hpp"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace skin {

png_image read_png_with_alpha(const std::string& path, std::string& why) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        why = "cannot open " + path;
        return {};
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < sizeof signature || std::memcmp(bytes.data(), signature, 8) != 0) {
        why = path + " is not a PNG file";
        return {};
    }
    int width = 0, height = 0, channels = 0;
    const int size = static_cast<int>(bytes.size());
    if (!stbi_info_from_memory(bytes.data(), size, &width, &height, &channels)) {
        why = path + " is cut short or damaged (" + stbi_failure_reason() + ")";
        return {};
    }
    // Grey with alpha, or colour with alpha (a palette with transparency
    // counts as that).
    if (channels != 2 && channels != 4) {
        why = path + " has no alpha channel: the gauge needs transparency around its sprites";
        return {};
    }
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), size, &width, &height, &channels, 4);
    if (pixels == nullptr) {
        why = path + " is cut short or damaged (" + stbi_failure_reason() + ")";
        return {};
    }
    png_image image{width, height, {pixels, pixels + static_cast<std::size_t>(width) * height * 4}};
    stbi_image_free(pixels);
    return image;
}

} // namespace skin
