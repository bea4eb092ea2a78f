// Draws the speedometer atlas and writes it as a PNG, for looking at, and as
// the texture dictionary the game loads.
#include "assets/texture_dictionary.hpp"
#include "atlas.hpp"
#include "atlas_layout.hpp"
#include "canvas.hpp"

#include <cstdio>
#include <exception>
#include <filesystem>

namespace {

// The module asks the host for the texture by this name.
constexpr const char* texture_name = "speedometer";

// The dictionary goes into the game's models folder, which may not exist yet.
void create_parent_directory(const char* path) {
    const auto parent = std::filesystem::path(path).parent_path();
    std::error_code ignored; // writing the file reports the failure
    if (!parent.empty())
        std::filesystem::create_directories(parent, ignored);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ATLAS.png SPEEDOMETER.txd\n", argv[0]);
        return 2;
    }
    try {
        create_parent_directory(argv[1]);
        create_parent_directory(argv[2]);
        atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height);
        atlas::draw_atlas(canvas);
        if (!canvas.write_png(argv[1])) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
        txd::texture_image texture{texture_name, atlas::atlas_width, atlas::atlas_height,
                                   canvas.straight_rgba()};
        if (!txd::write_file(argv[2], {texture})) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
