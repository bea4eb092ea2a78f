#pragma once
// The host's records, as far as the module reads or fills them.
#include <cstddef>
#include <cstdint>

// A 2-D vertex already in screen space.
struct screen_vertex {
    float x;
    float y;
    float z;
    float rhw;
    std::uint32_t colour; // 0xAARRGGBB
    float u;
    float v;
};
static_assert(sizeof(screen_vertex) == 28);

// Filled by host_make_color: the components in the order of its arguments.
struct host_color {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t alpha;
};
static_assert(sizeof(host_color) == 4);

// Filled by host_make_rect.
struct host_rect {
    float left;
    float top;
    float right;
    float bottom;
};
static_assert(sizeof(host_rect) == 16);

// The part of a texture record the module uses: its first field selects the
// texture through render state 1.
struct host_texture {
    std::uint32_t render_id;
};

// Byte offsets into the host's vehicle record.
namespace vehicle_field {
inline constexpr std::size_t speed_vector = 0x44; // three floats
inline constexpr std::size_t status = 0x4B4;      // unsigned byte
inline constexpr std::size_t kind = 0x594;        // signed 32-bit
inline constexpr std::size_t record_size = 0x598; // at least this many bytes
} // namespace vehicle_field

// Byte offset of the render-state function in the host's engine record.
inline constexpr std::size_t engine_render_state_offset = 0x20;

// Primitive codes of host_render_2d.
inline constexpr std::int32_t primitive_triangle_strip = 4;
inline constexpr std::int32_t primitive_triangle_fan = 5;

// Render state that names the texture for the following draws.
inline constexpr std::int32_t render_state_texture = 1;
