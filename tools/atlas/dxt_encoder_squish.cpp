// The encoder behind dxt_encoder.hpp on the native build: libsquish.
#include "dxt_encoder.hpp"

#include <squish.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace dxt {

namespace {

// The cluster fit is the library's best colour fit short of the iterative
// one, which costs several times as long for little more.
constexpr int flags = squish::kDxt5 | squish::kColourClusterFit | squish::kWeightColourByAlpha;

struct kept_level {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba, blocks;
};

bool remembering = false;

std::vector<kept_level>& kept_levels() {
    static std::vector<kept_level> levels;
    return levels;
}

// Whole blocks only: the library fills a block cut by the level's edge in
// its own way, and such levels are a few pixels.
void compress_reusing(int width, int height, std::span<const std::uint8_t> rgba,
                      const kept_level& before, std::uint8_t* blocks) {
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; y += 4) {
        for (int x = 0; x < width; x += 4, blocks += 16) {
            const std::size_t corner = static_cast<std::size_t>(y) * row_bytes + std::size_t(x) * 4;
            bool same = true;
            std::uint8_t pixels[64];
            for (int row = 0; row < 4; ++row) {
                const std::uint8_t* from = rgba.data() + corner + row * row_bytes;
                same = same &&
                       std::memcmp(from, before.rgba.data() + corner + row * row_bytes, 16) == 0;
                std::memcpy(pixels + row * 16, from, 16);
            }
            const std::size_t block = (static_cast<std::size_t>(y / 4) * (width / 4) + x / 4) * 16;
            if (same)
                std::memcpy(blocks, before.blocks.data() + block, 16);
            else
                squish::Compress(pixels, blocks, flags);
        }
    }
}

} // namespace

void remember_blocks() {
    remembering = true;
}

std::vector<std::uint8_t> compress_dxt5_level(int width, int height,
                                              std::span<const std::uint8_t> rgba) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        throw std::invalid_argument("pixels do not match the level's size");
    std::vector<std::uint8_t> blocks(
        txd::level_byte_count(txd::pixel_encoding::dxt5, width, height));
    if (!remembering) {
        squish::CompressImage(rgba.data(), width, height, blocks.data(), flags);
        return blocks;
    }
    std::vector<kept_level>& levels = kept_levels();
    auto kept = std::find_if(levels.begin(), levels.end(), [&](const kept_level& level) {
        return level.width == width && level.height == height;
    });
    if (width % 4 == 0 && height % 4 == 0 && kept != levels.end())
        compress_reusing(width, height, rgba, *kept, blocks.data());
    else
        squish::CompressImage(rgba.data(), width, height, blocks.data(), flags);
    if (kept == levels.end())
        kept = levels.insert(levels.end(), kept_level{width, height, {}, {}});
    kept->rgba.assign(rgba.begin(), rgba.end());
    kept->blocks = blocks;
    return blocks;
}

} // namespace dxt
