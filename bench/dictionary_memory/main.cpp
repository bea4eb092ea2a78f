// What a loaded dictionary costs the host's memory: committed private memory
// before loading it and after loading it and drawing from it once (when the
// device makes its managed texture), counted as the stress test counts.
//
//   dictionary_memory ASSET_FOLDER models\speedometer.txd
#include "host/functions.hpp"
#include "process_footprint.hpp"
#include "simhost/sim_host.hpp"

#include <cstdio>

namespace {

void draw_once() {
    host_color white{};
    host_make_color(white, 255, 255, 255, 255);
    host_rect rect{};
    host_make_rect(rect, 0.0f, 0.0f, 32.0f, 32.0f);
    host_draw_textured_quad(rect, white, white, white, white, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f,
                            1.0f, 1.0f);
    host_render_2d(primitive_triangle_fan, host_quad_vertices(), 4);
    sim::pixel(0, 0); // the device works asynchronously: done when read
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dictionary_memory ASSET_FOLDER DICTIONARY\n");
        return 2;
    }
    sim::install();
    sim::set_asset_root(argv[1]);
    sim::set_drawing_enabled(true);
    sim::set_screen(64, 64);
    draw_once(); // the device itself is not the dictionary's cost
    const std::size_t before = committed_private_bytes();
    host_txd_handle dictionary = host_load_txd(argv[2]);
    if (dictionary == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[2]);
        return 1;
    }
    const std::size_t loaded = committed_private_bytes();
    host_set_render_state(render_state_texture, host_txd_texture(dictionary)->render_id);
    draw_once();
    const std::size_t drawn = committed_private_bytes();
    std::printf("%s: committed private memory %zu bytes before, +%zu after loading, +%zu after "
                "the first draw from it\n",
                argv[2], before, loaded - before, drawn - before);
    host_release_txd(dictionary);
    return 0;
}
