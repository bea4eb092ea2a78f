#pragma once
// The host's textures: each has a texture record whose render id selects it
// through render state 1, its texels and how the device samples them.
#include "assets/texture_dictionary.hpp"
#include "host/types.hpp"
#include "simhost/sim_host.hpp"

#include <cstdint>
#include <vector>

namespace sim::detail {

struct stored_texture {
    host_texture record;
    int width;
    int height;
    // The host's own copy, as the file holds it: the device texture is made
    // in this format and decodes DXT blocks itself.
    txd::pixel_encoding encoding;
    // Every level the file carries, largest first: for rgba32 bytes R, G, B,
    // A rows top first; for the DXT encodings the blocks. One level, or the
    // whole chain down to 1 by 1 (with a mip filter mode).
    std::vector<std::vector<std::uint8_t>> levels;
    texture_sampling sampling;
};

host_texture* store_texture(int width, int height, txd::pixel_encoding encoding,
                            std::vector<std::vector<std::uint8_t>> levels,
                            texture_sampling sampling);
void drop_texture(std::uint32_t render_id);
const stored_texture* find_texture(std::uint32_t render_id); // null for 0 or unknown ids

} // namespace sim::detail
