#include "speedometer/atlas_quad.hpp"

#include "host/functions.hpp"

namespace {

constexpr std::int32_t quad_vertex_count = 4;

} // namespace

void fill_atlas_quad(const host_rect& rect, const host_color& colour, const atlas_uv& uv) {
    host_draw_textured_quad(rect, colour, colour, colour, colour, uv.left, uv.top, uv.right, uv.top,
                            uv.left, uv.bottom, uv.right, uv.bottom);
}

void render_atlas_quad() {
    host_render_2d(primitive_triangle_fan, host_quad_vertices(), quad_vertex_count);
}
