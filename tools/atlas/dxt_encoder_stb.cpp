// The encoder behind dxt_encoder.hpp on the Windows build: stb_dxt, since
// Debian's libsquish comes only for the native machine. It has no weighting by
// alpha, so a block's transparent pixels take its visible pixels' mean colour
// first: they then pull the colour fit nowhere, as squish's weighting has them.
#include "dxt_encoder.hpp"

#define STB_DXT_IMPLEMENTATION
#include <stb_dxt.h>

#include <algorithm>
#include <stdexcept>

namespace dxt {

namespace {

// One 4 by 4 block of pixels, edges repeated for levels smaller than a block.
void gather_block(int width, int height, std::span<const std::uint8_t> rgba, int block_x,
                  int block_y, std::uint8_t (&block)[64]) {
    long sum[3] = {0, 0, 0};
    long weight = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int sx = std::min(block_x * 4 + x, width - 1);
            const int sy = std::min(block_y * 4 + y, height - 1);
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(sy) * width + sx) * 4];
            std::copy(p, p + 4, &block[(y * 4 + x) * 4]);
            for (int c = 0; c < 3; ++c)
                sum[c] += p[c] * p[3];
            weight += p[3];
        }
    }
    if (weight == 0)
        return;
    for (int i = 0; i < 16; ++i) {
        if (block[i * 4 + 3] == 0) {
            for (int c = 0; c < 3; ++c)
                block[i * 4 + c] = static_cast<std::uint8_t>((sum[c] + weight / 2) / weight);
        }
    }
}

} // namespace

std::vector<std::uint8_t> compress_dxt5_level(int width, int height,
                                              std::span<const std::uint8_t> rgba) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        throw std::invalid_argument("pixels do not match the level's size");
    std::vector<std::uint8_t> blocks(
        txd::level_byte_count(txd::pixel_encoding::dxt5, width, height));
    const int blocks_across = (width + 3) / 4;
    const int blocks_down = (height + 3) / 4;
    for (int by = 0; by < blocks_down; ++by) {
        for (int bx = 0; bx < blocks_across; ++bx) {
            std::uint8_t block[64];
            gather_block(width, height, rgba, bx, by, block);
            stb_compress_dxt_block(
                &blocks[(static_cast<std::size_t>(by) * blocks_across + bx) * 16], block, 1,
                STB_DXT_HIGHQUAL);
        }
    }
    return blocks;
}

} // namespace dxt
