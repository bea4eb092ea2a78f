#pragma once
// The progress arc: a filled sector of the dial, built as a triangle strip
// and textured from a square region of the atlas.
#include "host/types.hpp"

#include <array>
#include <cstddef>

// One centre vertex, at most 60 stepped rim-and-centre pairs and one closing
// pair.
inline constexpr std::size_t arc_vertex_capacity = 1 + 2 * 60 + 2;

// Rebuilt by every draw_progress_arc; the host reads it only inside that call.
extern std::array<screen_vertex, arc_vertex_capacity> arc_vertices;

// Draws the sector from start_angle to end_angle (degrees, clockwise on the
// screen, 0 pointing right) in wedges of at most 6 degrees, centred on
// (centre_x, centre_y) with the given radii, and textured from the ellipse
// inscribed in the atlas region. Texture sizes and the region are in texture
// pixels, centre and radii in screen pixels. The rim at the start angle is
// always drawn; at most 60 steps are taken. The render state must already
// name the atlas.
void draw_progress_arc(float texture_width, float texture_height, float region_left,
                       float region_top, float region_width, float region_height, float centre_x,
                       float centre_y, float radius_x, float radius_y, float start_angle,
                       float end_angle);
