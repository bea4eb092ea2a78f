// What compressing the atlas costs: for the km/h and mph atlases, the PSNR of
// each decoded DXT5 level against its 32-bit level (premultiplied colour, and
// alpha), the needle's region at level 0, and how long the whole chain takes
// to compress.
//
//   dxt_figures
#include "assets/mip_chain.hpp"
#include "atlas.hpp"
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dxt_decoder.hpp"
#include "dxt_encoder.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {

struct area {
    int left, top, right, bottom;
};

struct psnr_pair {
    double colour;
    double alpha;
};

double psnr(double squared, long count) {
    return squared == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * count / squared);
}

// Colour as it is seen: times alpha, so invisible texels count for nothing.
psnr_pair compare(const std::vector<std::uint8_t>& original,
                  const std::vector<std::uint8_t>& decoded, int width, area where) {
    double colour = 0, alpha = 0;
    long count = 0;
    for (int y = where.top; y < where.bottom; ++y) {
        for (int x = where.left; x < where.right; ++x, ++count) {
            const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
            for (int c = 0; c < 3; ++c) {
                const double error =
                    (original[i + c] * original[i + 3] - decoded[i + c] * decoded[i + 3]) / 255.0;
                colour += error * error;
            }
            const double error = original[i + 3] - decoded[i + 3];
            alpha += error * error;
        }
    }
    return {psnr(colour, count * 3), psnr(alpha, count)};
}

void report(const char* name, const atlas::dial_scale& dial) {
    atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height, atlas::texture_scale);
    atlas::draw_atlas(canvas, dial);
    txd::texture_image texture;
    texture.name = "speedometer";
    texture.width = canvas.width();
    texture.height = canvas.height();
    texture.rgba = canvas.straight_rgba();
    texture.mip_levels = txd::make_mip_levels(texture.width, texture.height, texture.rgba);
    texture.filter_mode = 6;

    const auto start = std::chrono::steady_clock::now();
    const txd::texture_image compressed = dxt::compress_dxt5(texture);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: whole chain compressed in %.2f s\n", name, seconds);

    for (int level = 0; level < 4; ++level) {
        const int w = txd::mip_level_side(texture.width, level);
        const int h = txd::mip_level_side(texture.height, level);
        const auto& original = level == 0 ? texture.rgba : texture.mip_levels[level - 1];
        const auto& blocks = level == 0 ? compressed.rgba : compressed.mip_levels[level - 1];
        const auto decoded = dxt::decompress_level(txd::pixel_encoding::dxt5, w, h, blocks);
        const psnr_pair whole = compare(original, decoded, w, {0, 0, w, h});
        std::printf("%s: level %d (%dx%d): colour %.2f dB, alpha %.2f dB\n", name, level, w, h,
                    whole.colour, whole.alpha);
        if (level != 0)
            continue;
        const int s = atlas::texture_scale;
        const atlas::region n = atlas::needle_region;
        const psnr_pair needle =
            compare(original, decoded, w, {n.left * s, n.top * s, n.right() * s, n.bottom() * s});
        std::printf("%s: needle region at level 0: colour %.2f dB, alpha %.2f dB\n", name,
                    needle.colour, needle.alpha);
    }
}

} // namespace

int main() {
    try {
        report("km/h", atlas::kmh_dial);
        report("mph", atlas::mph_dial);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
