// The decoder behind dxt_decoder.hpp on the Windows build, where libsquish is
// not to be had and stb has no decoder: the block formats' own arithmetic,
// as libsquish rounds it, for the packer's PSNR figures.
#include "dxt_decoder.hpp"

#include <stdexcept>

namespace dxt {

namespace {

struct rgb {
    int r, g, b;
};

rgb from_565(unsigned v) {
    const int r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

unsigned read16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

// The colour half of a block: 8 bytes, two 5:6:5 end points and 2-bit
// indices. Four colours, or three and transparent black for DXT1 when the
// first end point is not above the second.
void decode_colour(const std::uint8_t* block, bool dxt1, std::uint8_t (&out)[64]) {
    const unsigned c0 = read16(block), c1 = read16(block + 2);
    const rgb a = from_565(c0), b = from_565(c1);
    rgb palette[4] = {a, b, {}, {}};
    int alpha3 = 255;
    if (c0 > c1 || !dxt1) {
        palette[2] = {(2 * a.r + b.r) / 3, (2 * a.g + b.g) / 3, (2 * a.b + b.b) / 3};
        palette[3] = {(a.r + 2 * b.r) / 3, (a.g + 2 * b.g) / 3, (a.b + 2 * b.b) / 3};
    } else {
        palette[2] = {(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2};
        palette[3] = {0, 0, 0};
        alpha3 = 0;
    }
    for (int i = 0; i < 16; ++i) {
        const int index = (block[4 + i / 4] >> ((i % 4) * 2)) & 3;
        out[i * 4] = static_cast<std::uint8_t>(palette[index].r);
        out[i * 4 + 1] = static_cast<std::uint8_t>(palette[index].g);
        out[i * 4 + 2] = static_cast<std::uint8_t>(palette[index].b);
        out[i * 4 + 3] = static_cast<std::uint8_t>(index == 3 ? alpha3 : 255);
    }
}

// DXT5 alpha: two end points and 3-bit indices into eight values (or six
// and 0 and 255 when the first is not above the second).
void decode_interpolated_alpha(const std::uint8_t* block, std::uint8_t (&out)[64]) {
    const int a0 = block[0], a1 = block[1];
    int values[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i < 7; ++i)
            values[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i < 5; ++i)
            values[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        values[6] = 0;
        values[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        out[i * 4 + 3] = static_cast<std::uint8_t>(values[(bits >> (3 * i)) & 7]);
}

void decode_explicit_alpha(const std::uint8_t* block, std::uint8_t (&out)[64]) {
    for (int i = 0; i < 16; ++i) {
        const int nibble = (block[i / 2] >> ((i % 2) * 4)) & 15;
        out[i * 4 + 3] = static_cast<std::uint8_t>(nibble * 17);
    }
}

} // namespace

std::vector<std::uint8_t> decompress_level(txd::pixel_encoding encoding, int width, int height,
                                           std::span<const std::uint8_t> blocks) {
    if (encoding == txd::pixel_encoding::rgba32)
        throw std::invalid_argument("not a block encoding");
    if (width <= 0 || height <= 0 ||
        blocks.size() != txd::level_byte_count(encoding, width, height))
        throw std::invalid_argument("blocks do not match the level's size");
    const bool dxt1 = encoding == txd::pixel_encoding::dxt1;
    const std::size_t block_size = dxt1 ? 8 : 16;
    const int blocks_across = (width + 3) / 4;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    for (int by = 0; by * 4 < height; ++by) {
        for (int bx = 0; bx < blocks_across; ++bx) {
            const std::uint8_t* block =
                &blocks[(static_cast<std::size_t>(by) * blocks_across + bx) * block_size];
            std::uint8_t pixels[64];
            decode_colour(dxt1 ? block : block + 8, dxt1, pixels);
            if (encoding == txd::pixel_encoding::dxt5)
                decode_interpolated_alpha(block, pixels);
            else if (encoding == txd::pixel_encoding::dxt3)
                decode_explicit_alpha(block, pixels);
            for (int y = 0; y < 4 && by * 4 + y < height; ++y)
                for (int x = 0; x < 4 && bx * 4 + x < width; ++x)
                    for (int c = 0; c < 4; ++c)
                        rgba[((static_cast<std::size_t>(by) * 4 + y) * width + bx * 4 + x) * 4 +
                             c] = pixels[(y * 4 + x) * 4 + c];
        }
    }
    return rgba;
}

} // namespace dxt
