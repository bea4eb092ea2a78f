#pragma once
// The simulated host's frame buffer and how its render calls reach it.
#include "host/types.hpp"
#include "simhost/texture_store.hpp"

#include <cstdint>

namespace sim::detail {

void resize_frame(std::int32_t width, std::int32_t height); // also clears it
int frame_width();
int frame_height();
bool rasteriser_enabled();
// Draws code 5 as a fan and code 4 as a strip; returns the triangle count,
// 0 for other codes or too few vertices.
std::uint32_t draw_primitive(std::int32_t primitive, const screen_vertex* vertices,
                             std::int32_t count, const stored_texture* texture);
void reset_frame_settings(); // rasteriser on, bilinear filtering

} // namespace sim::detail
