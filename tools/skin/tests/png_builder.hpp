#pragma once
// PNGs of the kinds paint programs and optimisers write, which stb's writer
// does not: 16-bit, palette, grey or colour with a transparent colour (tRNS),
// interlaced; and headers that claim another size than the pixels have.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// stb_image_write's deflate: the test holds its implementation.
extern "C" unsigned char* stbi_zlib_compress(unsigned char* data, int data_len, int* out_len,
                                             int quality);

namespace test_png {

struct kind {
    int colour_type = 6;             // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int depth = 8;                   // 8 or 16 (8 for palette)
    bool transparent_colour = false; // a tRNS chunk: black or index 0 is clear
    bool interlaced = false;
    std::optional<std::uint32_t> header_width{}, header_height{}; // what IHDR claims, when given
};

namespace detail {

inline void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline std::uint32_t crc(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

inline void chunk(std::vector<std::uint8_t>& out, const char* type,
                  const std::vector<std::uint8_t>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc(&out[start], out.size() - start));
}

// One pixel's samples, each 8 or 16 bits big-endian.
inline void put_pixel(std::vector<std::uint8_t>& row, const kind& k, bool ink) {
    std::vector<int> samples;
    switch (k.colour_type) {
    case 0:
        samples = {ink ? 200 : 0};
        break;
    case 2:
        samples = ink ? std::vector<int>{40, 200, 120} : std::vector<int>{0, 0, 0};
        break;
    case 3:
        samples = {ink ? 1 : 0};
        break;
    case 4:
        samples = {ink ? 200 : 0, ink ? 255 : 0};
        break;
    default:
        samples = ink ? std::vector<int>{40, 200, 120, 255} : std::vector<int>{0, 0, 0, 0};
    }
    for (const int s : samples) {
        if (k.depth == 16)
            row.push_back(static_cast<std::uint8_t>(s));
        row.push_back(static_cast<std::uint8_t>(s));
    }
}

} // namespace detail

// The bytes of a PNG of `width` by `height` whose pixels inside `inside` are
// the ink (40, 200, 120 or grey 200, opaque) and the rest clear (or black).
template <typename Inside>
std::vector<std::uint8_t> make(const kind& k, int width, int height, Inside inside) {
    using namespace detail;
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put32(header, k.header_width.value_or(static_cast<std::uint32_t>(width)));
    put32(header, k.header_height.value_or(static_cast<std::uint32_t>(height)));
    header.insert(header.end(),
                  {static_cast<std::uint8_t>(k.depth), static_cast<std::uint8_t>(k.colour_type), 0,
                   0, static_cast<std::uint8_t>(k.interlaced ? 1 : 0)});
    chunk(out, "IHDR", header);
    if (k.colour_type == 3)
        chunk(out, "PLTE", {0, 0, 0, 40, 200, 120});
    if (k.transparent_colour)
        chunk(out, "tRNS",
              k.colour_type == 3   ? std::vector<std::uint8_t>{0, 255}
              : k.colour_type == 0 ? std::vector<std::uint8_t>{0, 0}
                                   : std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0});
    // Adam7's seven passes, or the whole image as one.
    struct pass {
        int x0, y0, dx, dy;
    };
    const std::vector<pass> passes =
        k.interlaced ? std::vector<pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                     : std::vector<pass>{{0, 0, 1, 1}};
    std::vector<std::uint8_t> scanlines;
    for (const pass& p : passes)
        for (int y = p.y0; y < height; y += p.dy) {
            scanlines.push_back(0); // no filter
            for (int x = p.x0; x < width; x += p.dx)
                put_pixel(scanlines, k, inside(x, y));
        }
    int size = 0;
    unsigned char* deflated =
        stbi_zlib_compress(scanlines.data(), static_cast<int>(scanlines.size()), &size, 8);
    chunk(out, "IDAT", {deflated, deflated + size});
    std::free(deflated);
    chunk(out, "IEND", {});
    return out;
}

} // namespace test_png
