#pragma once
// The Direct3D 9 device the simulated host draws its 2-D pass with, as the
// host does: pre-transformed vertices, textures sampled by the device,
// alpha blending. Created on first use, so that programs which only read the
// call log never need a display. Every function that needs the device
// returns false when it cannot start or cannot do the work, and leaves the
// reason in device_error().
#include "host/types.hpp"
#include "simhost/texture_store.hpp"

#include <cstdint>
#include <string>

namespace sim::detail {

// The largest frame side the device draws: beyond it a render target and
// its read-back copy would not fit a 32-bit process.
inline constexpr int max_device_frame_side = 8192;

// Empty until something failed; then what, and what is missing.
const std::string& device_error();

// Makes the frame's render target width x height (both at least 1).
bool device_target(int width, int height);
// Frame pixels (R | G << 8 | B << 16 | A << 24, row-major, target-sized) into
// the render target, and back. The target is opaque, as a screen is: read
// pixels have alpha 255.
bool device_upload(const std::uint32_t* rgba);
bool device_read(std::uint32_t* rgba);

// Draws code 5 as a fan and code 4 as a strip into the render target, with
// the texture and its own sampler settings, or vertex colour alone when
// texture is null. At least three vertices and a known code.
bool device_draw(std::int32_t primitive, const screen_vertex* vertices, std::int32_t count,
                 const stored_texture* texture);

// Releases the device's copy of a texture the host dropped.
void device_forget_texture(std::uint32_t render_id);

} // namespace sim::detail
