#pragma once
// The player's opacity, applied to every colour the module hands the host.
// At full opacity each of these gives its input back unchanged, so a frame
// without settings makes the same calls as one before opacity existed.
#include "host/types.hpp"

#include <cstdint>

// alpha × opacity, to the nearest whole number, halves up: 255 at 0.5 is 128.
std::uint8_t faded_alpha(std::uint8_t alpha, std::uint32_t opacity_millionths);

// host_make_color with the alpha faded by the opacity in force.
void make_faded_color(host_color& colour, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                      std::uint8_t alpha);

// A vertex colour, 0xAARRGGBB, with its alpha faded by the opacity in force.
std::uint32_t faded_vertex_colour(std::uint32_t argb);
