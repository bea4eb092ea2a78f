// Each function here has exactly the host's convention for its address:
// cdecl unless marked thiscall, small integers read from full 32-bit slots and
// masked, floats returned in ST0. They are entered by a jump from the host
// address, so they see the caller's stack as the host function would.
#include "simhost/host_functions.hpp"

#include "host/addresses.hpp"
#include "host/types.hpp"
#include "simhost/call_log.hpp"
#include "simhost/dictionaries.hpp"
#include "simhost/frame.hpp"
#include "simhost/host_state.hpp"
#include "simhost/image_layout.hpp"
#include "simhost/image_writer.hpp"
#include "simhost/render_observer.hpp"
#include "simhost/texture_store.hpp"

#include <cmath>

#define HOST_THISCALL __attribute__((thiscall))

namespace sim::detail {
namespace {

std::uint8_t low_byte(std::uint32_t slot) {
    return static_cast<std::uint8_t>(slot & 0xFF);
}

std::uint32_t argb(const host_color& color) {
    return static_cast<std::uint32_t>(color.alpha) << 24 |
           static_cast<std::uint32_t>(color.red) << 16 |
           static_cast<std::uint32_t>(color.green) << 8 | color.blue;
}

void* player_vehicle(std::int32_t player, std::uint32_t include_remote) {
    void* vehicle = current_vehicle();
    log_call(host_fn::player_vehicle, {word(player), include_remote}, word(vehicle));
    return vehicle;
}

HOST_THISCALL float vector_length(const float* vector) {
    const double x = vector[0];
    const double y = vector[1];
    const double z = vector[2];
    const auto length = static_cast<float>(std::sqrt(x * x + y * y + z * z));
    log_call(host_fn::vector_length, {word(vector)}, word(length));
    return length;
}

std::uint32_t hud_text(host_fn fn, float x, float y, std::uint32_t text) {
    const std::uint32_t result = hud_text_result();
    log_call(fn, {word(x), word(y), text}, result);
    return result;
}

std::uint32_t hud_text_a(float x, float y, std::uint32_t text) {
    return hud_text(host_fn::hud_text_a, x, y, text);
}

std::uint32_t hud_text_b(float x, float y, std::uint32_t text) {
    return hud_text(host_fn::hud_text_b, x, y, text);
}

void* load_txd(const char* path) {
    void* handle = load_dictionary(path);
    log_call(host_fn::load_txd, {word(path)}, word(handle));
    return handle;
}

host_texture* txd_texture(void* handle) {
    host_texture* texture = first_texture(handle);
    log_call(host_fn::txd_texture, {word(handle)}, word(texture));
    return texture;
}

std::uint32_t release_txd(void* handle) {
    const std::uint32_t released = release_dictionary(handle) ? 1 : 0;
    log_call(host_fn::release_txd, {word(handle)}, released);
    return released;
}

HOST_THISCALL host_color* make_color(host_color* color, std::uint32_t red, std::uint32_t green,
                                     std::uint32_t blue, std::uint32_t alpha) {
    *color = {low_byte(red), low_byte(green), low_byte(blue), low_byte(alpha)};
    log_call(host_fn::make_color, {word(color), red, green, blue, alpha}, word(color));
    return color;
}

HOST_THISCALL host_rect* make_rect(host_rect* rect, float left, float top, float right,
                                   float bottom) {
    *rect = {left, top, right, bottom};
    log_call(host_fn::make_rect, {word(rect), word(left), word(top), word(right), word(bottom)},
             word(rect));
    return rect;
}

// The texture pairs arrive as left-top, right-top, left-bottom, right-bottom;
// the host's fan wants the corners round the rectangle.
void draw_textured_quad(const host_rect* rect, const host_color* c1, const host_color* c2,
                        const host_color* c3, const host_color* c4, float u1, float v1, float u2,
                        float v2, float u3, float v3, float u4, float v4) {
    log_call(host_fn::draw_textured_quad,
             {word(rect), word(c1), word(c2), word(c3), word(c4), word(u1), word(v1), word(u2),
              word(v2), word(u3), word(v3), word(u4), word(v4)},
             0);
    if (rect == nullptr || c1 == nullptr || c2 == nullptr || c3 == nullptr || c4 == nullptr) {
        return;
    }
    auto* quad = host_pointer<screen_vertex>(host_address::quad_vertices);
    quad[0] = {rect->left, rect->top, 0.0f, 1.0f, argb(*c1), u1, v1};
    quad[1] = {rect->right, rect->top, 0.0f, 1.0f, argb(*c2), u2, v2};
    quad[2] = {rect->right, rect->bottom, 0.0f, 1.0f, argb(*c4), u4, v4};
    quad[3] = {rect->left, rect->bottom, 0.0f, 1.0f, argb(*c3), u3, v3};
}

std::uint32_t render_2d(std::int32_t primitive, screen_vertex* vertices, std::int32_t count) {
    const std::uint32_t texture = texture_selection();
    observe_render(primitive, vertices, count);
    log_render_batch(primitive, texture, vertices, count);
    std::uint32_t drawn = 0;
    if (drawing_enabled()) {
        drawn = draw_primitive(primitive, vertices, count, find_texture(texture));
    }
    log_call(host_fn::render_2d, {word(primitive), word(vertices), word(count)}, drawn);
    return drawn;
}

std::uint32_t set_render_state(std::int32_t state, std::uint32_t value) {
    if (state == render_state_texture) {
        select_texture(value);
    }
    log_call(host_fn::set_render_state, {word(state), value}, 0);
    return 0;
}

} // namespace

void write_host_function_jumps() {
    struct host_entry {
        host_address::value address;
        const void* implementation;
    };
    // Built here rather than as a namespace-scope table: install may run
    // before this file's dynamic initialisation.
    const host_entry entries[] = {
        {host_address::player_vehicle, reinterpret_cast<const void*>(&player_vehicle)},
        {host_address::vector_length, reinterpret_cast<const void*>(&vector_length)},
        {host_address::hud_text_a, reinterpret_cast<const void*>(&hud_text_a)},
        {host_address::hud_text_b, reinterpret_cast<const void*>(&hud_text_b)},
        {host_address::load_txd, reinterpret_cast<const void*>(&load_txd)},
        {host_address::txd_texture, reinterpret_cast<const void*>(&txd_texture)},
        {host_address::release_txd, reinterpret_cast<const void*>(&release_txd)},
        {host_address::make_color, reinterpret_cast<const void*>(&make_color)},
        {host_address::make_rect, reinterpret_cast<const void*>(&make_rect)},
        {host_address::draw_textured_quad, reinterpret_cast<const void*>(&draw_textured_quad)},
        {host_address::render_2d, reinterpret_cast<const void*>(&render_2d)},
    };
    constexpr std::uint8_t jump = 0xE9;
    for (const host_entry& entry : entries) {
        put_rel32(entry.address, jump, entry.implementation);
    }
}

const void* render_state_function() {
    return reinterpret_cast<const void*>(&set_render_state);
}

} // namespace sim::detail
