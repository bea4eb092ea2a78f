#pragma once
// Filling screen-space triangles into an RGBA frame: pixel-centre sampling
// with a top-left fill rule, colour and texture coordinates interpolated
// linearly, texel times vertex colour, blended source-over onto the frame.
#include "host/types.hpp"
#include "simhost/sim_host.hpp"

#include <cstdint>

namespace sim::detail {

struct frame_view {
    int width;
    int height;
    std::uint32_t* pixels; // R | G << 8 | B << 16 | A << 24, row-major
};

struct texture_view {
    int width = 0; // 0: no texture, texels read as opaque white
    int height = 0;
    const std::uint32_t* texels = nullptr;
    texture_filter filter = texture_filter::bilinear;
};

// Either winding; a triangle without area, or with a coordinate that is not
// finite, draws nothing.
void fill_triangle(const frame_view& frame, const screen_vertex& a, const screen_vertex& b,
                   const screen_vertex& c, const texture_view& texture);

} // namespace sim::detail
