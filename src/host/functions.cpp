#include "host/functions.hpp"

#include "host/addresses.hpp"

namespace {

#define HOST_THISCALL __attribute__((thiscall))

template <class Function> Function* host_function(host_address::value address) {
    return reinterpret_cast<Function*>(address);
}

template <class T> T& host_global(host_address::value address) {
    return *reinterpret_cast<T*>(address);
}

// Small integers and bools travel in full 32-bit stack slots.
using player_vehicle_fn = void*(std::int32_t, std::uint32_t);
using vector_length_fn = HOST_THISCALL float(const void*);
using hud_text_fn = std::uint32_t(float, float, std::uint32_t);
using load_txd_fn = void*(const char*);
using txd_texture_fn = host_texture*(void*);
using release_txd_fn = std::uint32_t(void*);
using make_color_fn = HOST_THISCALL host_color*(host_color*, std::uint32_t, std::uint32_t,
                                                std::uint32_t, std::uint32_t);
using make_rect_fn = HOST_THISCALL host_rect*(host_rect*, float, float, float, float);
using draw_textured_quad_fn = void(const host_rect*, const host_color*, const host_color*,
                                   const host_color*, const host_color*, float, float, float, float,
                                   float, float, float, float);
using render_2d_fn = std::uint32_t(std::int32_t, screen_vertex*, std::int32_t);
using render_state_fn = std::uint32_t(std::int32_t, std::uint32_t);

} // namespace

void* host_player_vehicle(std::int32_t player, bool include_remote) {
    return host_function<player_vehicle_fn>(host_address::player_vehicle)(player,
                                                                          include_remote ? 1 : 0);
}

float host_vector_length(const void* vector) {
    return host_function<vector_length_fn>(host_address::vector_length)(vector);
}

std::uint32_t host_hud_text_a(float x, float y, std::uint32_t text) {
    return host_function<hud_text_fn>(host_address::hud_text_a)(x, y, text);
}

std::uint32_t host_hud_text_b(float x, float y, std::uint32_t text) {
    return host_function<hud_text_fn>(host_address::hud_text_b)(x, y, text);
}

host_txd_handle host_load_txd(const char* path) {
    return host_function<load_txd_fn>(host_address::load_txd)(path);
}

host_texture* host_txd_texture(host_txd_handle dictionary) {
    return host_function<txd_texture_fn>(host_address::txd_texture)(dictionary);
}

std::uint32_t host_release_txd(host_txd_handle dictionary) {
    return host_function<release_txd_fn>(host_address::release_txd)(dictionary);
}

host_color* host_make_color(host_color& color, std::uint8_t red, std::uint8_t green,
                            std::uint8_t blue, std::uint8_t alpha) {
    return host_function<make_color_fn>(host_address::make_color)(&color, red, green, blue, alpha);
}

host_rect* host_make_rect(host_rect& rect, float left, float top, float right, float bottom) {
    return host_function<make_rect_fn>(host_address::make_rect)(&rect, left, top, right, bottom);
}

void host_draw_textured_quad(const host_rect& rect, const host_color& c1, const host_color& c2,
                             const host_color& c3, const host_color& c4, float u1, float v1,
                             float u2, float v2, float u3, float v3, float u4, float v4) {
    host_function<draw_textured_quad_fn>(host_address::draw_textured_quad)(
        &rect, &c1, &c2, &c3, &c4, u1, v1, u2, v2, u3, v3, u4, v4);
}

std::uint32_t host_render_2d(std::int32_t primitive, screen_vertex* vertices, std::int32_t count) {
    return host_function<render_2d_fn>(host_address::render_2d)(primitive, vertices, count);
}

std::uint32_t host_set_render_state(std::int32_t state, std::uint32_t value) {
    // Before the host has set its engine up there is no render state to set.
    auto* engine = host_global<unsigned char*>(host_address::render_engine);
    if (engine == nullptr) {
        return 0;
    }
    auto* set_state = *reinterpret_cast<render_state_fn**>(engine + engine_render_state_offset);
    return set_state != nullptr ? set_state(state, value) : 0;
}

std::int32_t host_screen_width() {
    return host_global<std::int32_t>(host_address::screen_width);
}

std::int32_t host_screen_height() {
    return host_global<std::int32_t>(host_address::screen_height);
}

screen_vertex* host_quad_vertices() {
    return reinterpret_cast<screen_vertex*>(host_address::quad_vertices);
}
