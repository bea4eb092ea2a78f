#include "speedometer/progress_arc.hpp"

#include "host/functions.hpp"
#include "speedometer/opacity.hpp"
#include "speedometer/trig_tables.hpp"

#include <cstdint>

std::array<screen_vertex, arc_vertex_capacity> arc_vertices{};

namespace {

constexpr std::uint32_t opaque_white = 0xFFFFFFFF;
constexpr float step_degrees = 6.0f;
constexpr int max_steps = 60;

struct arc_geometry {
    float texture_width;
    float texture_height;
    float region_left;
    float region_top;
    float region_width;
    float region_height;
    float centre_x;
    float centre_y;
    float radius_x;
    float radius_y;
};

screen_vertex centre_vertex(const arc_geometry& arc, std::uint32_t colour) {
    const float u =
        (arc.region_width * 0.5f) / arc.texture_width + arc.region_left / arc.texture_width;
    const float v =
        (arc.region_height * 0.5f) / arc.texture_height + arc.region_top / arc.texture_height;
    return {arc.centre_x, arc.centre_y, 0.0f, 1.0f, colour, u, v};
}

// The rim takes its direction from the angle's whole degree, and its texel
// from the same direction on the circle inscribed in the region.
screen_vertex rim_vertex(const arc_geometry& arc, float angle, std::uint32_t colour) {
    const std::uint32_t k = table_index(angle);
    const float cos_k = cos_table[k];
    const float sin_k = sin_table[k];
    const float x = cos_k * arc.radius_x + arc.centre_x;
    const float y = sin_k * arc.radius_y + arc.centre_y;
    const float u = ((cos_k * 0.5f + 0.5f) * arc.region_width) / arc.texture_width +
                    arc.region_left / arc.texture_width;
    const float v = ((sin_k * 0.5f + 0.5f) * arc.region_height) / arc.texture_height +
                    arc.region_top / arc.texture_height;
    return {x, y, 0.0f, 1.0f, colour, u, v};
}

} // namespace

void draw_progress_arc(float texture_width, float texture_height, float region_left,
                       float region_top, float region_width, float region_height, float centre_x,
                       float centre_y, float radius_x, float radius_y, float start_angle,
                       float end_angle) {
    const arc_geometry arc{texture_width, texture_height, region_left, region_top, region_width,
                           region_height, centre_x,       centre_y,    radius_x,   radius_y};
    const std::uint32_t colour = faded_vertex_colour(opaque_white);
    const screen_vertex centre = centre_vertex(arc, colour);

    // As a strip, centre, rim, centre, rim, ... fills one wedge for every two
    // consecutive rims; the triangles between have no area.
    std::size_t count = 0;
    arc_vertices[count++] = centre;
    float angle = start_angle;
    for (int steps = 0;;) {
        arc_vertices[count++] = rim_vertex(arc, angle, colour);
        arc_vertices[count++] = centre;
        angle = angle + step_degrees;
        if (angle >= end_angle) {
            arc_vertices[count++] = rim_vertex(arc, end_angle, colour);
            arc_vertices[count++] = centre;
            break;
        }
        if (++steps == max_steps) {
            break;
        }
    }
    host_render_2d(primitive_triangle_strip, arc_vertices.data(), static_cast<std::int32_t>(count));
}
