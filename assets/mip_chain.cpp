#include "assets/mip_chain.hpp"

#include "assets/texture_dictionary.hpp"

#include <algorithm>
#include <cmath>

namespace txd {
namespace {

// Premultiplied R, G, B and A, each 0 to 255.
struct premultiplied_level {
    int width;
    int height;
    std::vector<float> pixels;

    const float* at(int x, int y) const {
        return &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

premultiplied_level premultiply(int width, int height, const std::vector<std::uint8_t>& rgba) {
    premultiplied_level level{width, height, std::vector<float>(rgba.size())};
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const float alpha = rgba[i + 3] / 255.0f;
        for (std::size_t c = 0; c < 3; ++c)
            level.pixels[i + c] = rgba[i + c] * alpha;
        level.pixels[i + 3] = rgba[i + 3];
    }
    return level;
}

// An odd side's last pixel is taken twice rather than read past the edge.
premultiplied_level halve(const premultiplied_level& above) {
    premultiplied_level level{std::max(1, above.width / 2), std::max(1, above.height / 2), {}};
    level.pixels.resize(static_cast<std::size_t>(level.width) * level.height * 4);
    float* out = level.pixels.data();
    for (int y = 0; y < level.height; ++y) {
        const int y0 = std::min(2 * y, above.height - 1);
        const int y1 = std::min(2 * y + 1, above.height - 1);
        for (int x = 0; x < level.width; ++x, out += 4) {
            const int x0 = std::min(2 * x, above.width - 1);
            const int x1 = std::min(2 * x + 1, above.width - 1);
            for (int c = 0; c < 4; ++c)
                out[c] = (above.at(x0, y0)[c] + above.at(x1, y0)[c] + above.at(x0, y1)[c] +
                          above.at(x1, y1)[c]) *
                         0.25f;
        }
    }
    return level;
}

std::uint8_t to_byte(float value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 255.0f)));
}

std::vector<std::uint8_t> straight(const premultiplied_level& level) {
    std::vector<std::uint8_t> rgba(level.pixels.size());
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const float alpha = level.pixels[i + 3];
        rgba[i + 3] = to_byte(alpha);
        if (rgba[i + 3] == 0)
            continue; // fully transparent pixels stay black
        for (std::size_t c = 0; c < 3; ++c)
            rgba[i + c] = to_byte(level.pixels[i + c] * 255.0f / alpha);
    }
    return rgba;
}

} // namespace

std::vector<std::vector<std::uint8_t>> make_mip_levels(int width, int height,
                                                       const std::vector<std::uint8_t>& rgba) {
    std::vector<std::vector<std::uint8_t>> levels;
    premultiplied_level level = premultiply(width, height, rgba);
    for (int i = 1; i < mip_level_count(width, height); ++i) {
        level = halve(level);
        levels.push_back(straight(level));
    }
    return levels;
}

} // namespace txd
