#pragma once
// The host's textures: each has a texture record whose render id selects it
// through render state 1, its texels and how the device samples them.
#include "host/types.hpp"
#include "simhost/sim_host.hpp"

#include <cstdint>
#include <vector>

namespace sim::detail {

struct stored_texture {
    host_texture record;
    int width;
    int height;
    std::vector<std::uint32_t> texels; // R | G << 8 | B << 16 | A << 24, rows top first
    texture_sampling sampling;
    // The smaller levels below the full size, largest first, packed as texels:
    // none, or the whole chain down to 1 by 1 (with a mip filter mode).
    std::vector<std::vector<std::uint32_t>> mip_levels;
};

host_texture* store_texture(int width, int height, std::vector<std::uint32_t> texels,
                            texture_sampling sampling,
                            std::vector<std::vector<std::uint32_t>> mip_levels = {});
void drop_texture(std::uint32_t render_id);
const stored_texture* find_texture(std::uint32_t render_id); // null for 0 or unknown ids

} // namespace sim::detail
