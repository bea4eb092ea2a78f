#pragma once
// Typed wrappers for the host's operations. Each calls the host function at
// its fixed address with the host's own calling convention.
#include "host/types.hpp"

#include <cstdint>

using host_txd_handle = void*;

void* host_player_vehicle(std::int32_t player, bool include_remote);
float host_vector_length(const void* vector); // thiscall on three floats
std::uint32_t host_hud_text_a(float x, float y, std::uint32_t text);
std::uint32_t host_hud_text_b(float x, float y, std::uint32_t text);
host_txd_handle host_load_txd(const char* path);
host_texture* host_txd_texture(host_txd_handle dictionary);
std::uint32_t host_release_txd(host_txd_handle dictionary);
host_color* host_make_color(host_color& color, std::uint8_t red, std::uint8_t green,
                            std::uint8_t blue, std::uint8_t alpha);
host_rect* host_make_rect(host_rect& rect, float left, float top, float right, float bottom);
void host_draw_textured_quad(const host_rect& rect, const host_color& c1, const host_color& c2,
                             const host_color& c3, const host_color& c4, float u1, float v1,
                             float u2, float v2, float u3, float v3, float u4, float v4);
std::uint32_t host_render_2d(std::int32_t primitive, screen_vertex* vertices, std::int32_t count);
std::uint32_t host_set_render_state(std::int32_t state, std::uint32_t value);

std::int32_t host_screen_width();
std::int32_t host_screen_height();
screen_vertex* host_quad_vertices(); // the host's four-vertex quad

// The player argument that names the local player.
inline constexpr std::int32_t local_player = -1;
