#pragma once
// The simulated host's frame and how its render calls reach it.
#include "host/types.hpp"
#include "simhost/texture_store.hpp"

#include <cstdint>

namespace sim::detail {

void resize_frame(std::int32_t width, std::int32_t height); // also clears it
int frame_width();
int frame_height();
bool drawing_enabled();
// Hands the draw to the device; returns the triangle count drawn, 0 for other
// codes, too few vertices, or when the device could not draw.
std::uint32_t draw_primitive(std::int32_t primitive, const screen_vertex* vertices,
                             std::int32_t count, const stored_texture* texture);
// True when a draw of the current frame did not reach the device.
bool frame_lost_draws();
void reset_frame_settings(); // drawing off

} // namespace sim::detail
