// Draws the speedometer atlas and writes it as a PNG, for looking at, and as
// the texture dictionary the game loads: with the km/h scale on the dial face
// by default, with the mph scale given --mph; every level DXT5 by default, in
// 32-bit colour given --rgba32 (for comparisons and tests); --light draws the
// example skin's light face with dark labels.
#include "assets/mip_chain.hpp"
#include "assets/texture_dictionary.hpp"
#include "atlas.hpp"
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dxt_encoder.hpp"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>

namespace {

// The module asks the host for the texture by this name.
constexpr const char* texture_name = "speedometer";
// Linear within a level and between levels: no shimmer when drawn small.
constexpr std::uint8_t mip_filter_linear = 6;

// The dictionary goes into the game's models folder, which may not exist yet.
void create_parent_directory(const char* path) {
    const auto parent = std::filesystem::path(path).parent_path();
    std::error_code ignored; // writing the file reports the failure
    if (!parent.empty())
        std::filesystem::create_directories(parent, ignored);
}

} // namespace

int main(int argc, char** argv) {
    bool mph = false;
    bool rgba32 = false;
    bool light = false; // the example skin's look
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        const std::string_view option = argv[arg];
        if (option == "--mph")
            mph = true;
        else if (option == "--rgba32")
            rgba32 = true;
        else if (option == "--light")
            light = true;
        else
            break;
    }
    if (argc - arg != 2) {
        std::fprintf(stderr, "usage: %s [--mph] [--rgba32] [--light] ATLAS.png DICTIONARY.txd\n",
                     argv[0]);
        return 2;
    }
    const char* png_path = argv[arg];
    const char* dictionary_path = argv[arg + 1];
    try {
        create_parent_directory(png_path);
        create_parent_directory(dictionary_path);
        atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height, atlas::texture_scale);
        atlas::dial_scale dial = mph ? atlas::mph_dial : atlas::kmh_dial;
        dial.light_face = light;
        atlas::draw_atlas(canvas, dial);
        if (!canvas.write_png(png_path)) {
            std::fprintf(stderr, "cannot write %s\n", png_path);
            return 1;
        }
        txd::texture_image texture;
        texture.name = texture_name;
        texture.width = canvas.width();
        texture.height = canvas.height();
        texture.rgba = canvas.straight_rgba();
        texture.mip_levels = txd::make_mip_levels(texture.width, texture.height, texture.rgba);
        texture.filter_mode = mip_filter_linear;
        if (!txd::write_file(dictionary_path, {rgba32 ? texture : dxt::compress_dxt5(texture)})) {
            std::fprintf(stderr, "cannot write %s\n", dictionary_path);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
