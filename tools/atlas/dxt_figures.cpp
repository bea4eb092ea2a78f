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
#include "level_psnr.hpp"

#include <chrono>
#include <cstdio>
#include <exception>

namespace {

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
        const dxt::level_psnr whole = dxt::compare_levels(original, decoded, w, {0, 0, w, h});
        std::printf("%s: level %d (%dx%d): colour %.2f dB, alpha %.2f dB\n", name, level, w, h,
                    whole.colour, whole.alpha);
        if (level != 0)
            continue;
        const int s = atlas::texture_scale;
        const atlas::region n = atlas::needle_region;
        const dxt::level_psnr needle = dxt::compare_levels(
            original, decoded, w, {n.left * s, n.top * s, n.right() * s, n.bottom() * s});
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
