#pragma once
// One sprite from the atlas: the host lays out its single quad for a
// rectangle, and renders it as a filled, textured rectangle.
#include "host/types.hpp"

// Texture coordinates of an atlas region, as fractions of the atlas.
struct atlas_uv {
    float left;
    float top;
    float right;
    float bottom;
};

// Fills the host's quad with the rectangle, the same colour at every corner
// and the region's corners, left-top, right-top, left-bottom, right-bottom.
void fill_atlas_quad(const host_rect& rect, const host_color& colour, const atlas_uv& uv);

// Renders the host's quad.
void render_atlas_quad();
