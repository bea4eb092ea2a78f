// Writes the fixture the device decode test checks against: a 64 by 64 crop
// of the km/h atlas (scale labels and ticks over the face's dark gradient,
// the bezel's edge into transparency) as a one-level DXT5 dictionary, and
// the encoder's own decode of its blocks as raw R, G, B, A bytes.
//
//   dxt_fixture DICTIONARY.txd DECODED.rgba
#include "atlas.hpp"
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dxt_decoder.hpp"
#include "dxt_encoder.hpp"

#include <cstdio>
#include <exception>
#include <fstream>

namespace {

constexpr int side = 64;
// On the block grid, where the bezel meets the labels.
constexpr int crop_left = 24;
constexpr int crop_top = 136;

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DICTIONARY.txd DECODED.rgba\n", argv[0]);
        return 2;
    }
    try {
        atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height, atlas::texture_scale);
        atlas::draw_atlas(canvas, atlas::kmh_dial);
        const auto atlas_rgba = canvas.straight_rgba();
        txd::texture_image crop;
        crop.name = "fixture";
        crop.width = side;
        crop.height = side;
        crop.filter_mode = 1;
        for (int y = 0; y < side; ++y) {
            const auto row =
                atlas_rgba.begin() +
                (static_cast<std::ptrdiff_t>(crop_top + y) * canvas.width() + crop_left) * 4;
            crop.rgba.insert(crop.rgba.end(), row, row + side * 4);
        }
        const txd::texture_image compressed = dxt::compress_dxt5(crop);
        const auto decoded =
            dxt::decompress_level(txd::pixel_encoding::dxt5, side, side, compressed.rgba);
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(decoded.data()),
                  static_cast<std::streamsize>(decoded.size()));
        if (!out || !txd::write_file(argv[1], {compressed})) {
            std::fprintf(stderr, "cannot write the fixture\n");
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
