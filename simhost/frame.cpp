#include "simhost/frame.hpp"

#include "simhost/drawing_device.hpp"
#include "simhost/sim_host.hpp"

#include <algorithm>
#include <vector>

namespace sim {
namespace {

constexpr std::uint32_t opaque_black = 0xFF000000;
// A screen size beyond this still reaches the module through the globals, but
// the frame stops growing.
constexpr std::int32_t max_frame_side = 16384;

// Which copy of the frame holds the latest picture: ours, the device's
// render target, or both. Copies move only when needed, so that a frame is
// uploaded once before its first draw and read back once when looked at.
enum class latest { host, device, both };

struct frame_state {
    int width = 0;
    int height = 0;
    // The screen the frame is a window of, and the window's top left on it:
    // the whole screen unless set_screen_window made it a part.
    int screen_width = 0;
    int screen_height = 0;
    int left = 0;
    int top = 0;
    // Allocated when first looked at or drawn into, so that screens set only
    // for the module's arithmetic cost no memory.
    std::vector<std::uint32_t> pixels;
    latest holder = latest::host;
    bool drawing_on = false;
    bool lost_draws = false;
};

frame_state& the_frame() {
    static frame_state frame;
    return frame;
}

std::size_t pixel_count(const frame_state& frame) {
    return static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
}

// Our copy, up to date, for reading.
std::vector<std::uint32_t>& host_pixels() {
    frame_state& frame = the_frame();
    if (frame.pixels.size() != pixel_count(frame)) {
        frame.pixels.assign(pixel_count(frame), opaque_black);
    }
    if (frame.holder == latest::device) {
        frame.lost_draws |= !detail::device_read(frame.pixels.data());
        frame.holder = latest::both;
    }
    return frame.pixels;
}

// Our copy, for overwriting: the device's picture is stale from now on.
std::vector<std::uint32_t>& pixels_to_paint() {
    frame_state& frame = the_frame();
    if (frame.pixels.size() != pixel_count(frame)) {
        frame.pixels.assign(pixel_count(frame), opaque_black);
    }
    frame.holder = latest::host;
    frame.lost_draws = false;
    return frame.pixels;
}

bool device_holds_the_frame() {
    frame_state& frame = the_frame();
    if (!detail::device_target(frame.width, frame.height)) {
        return false;
    }
    if (frame.holder == latest::host && !detail::device_upload(host_pixels().data())) {
        return false;
    }
    frame.holder = latest::device;
    return true;
}

} // namespace

namespace detail {

void resize_frame(std::int32_t width, std::int32_t height) {
    frame_state& frame = the_frame();
    frame.width = std::clamp(width, 0, max_frame_side);
    frame.height = std::clamp(height, 0, max_frame_side);
    frame.screen_width = frame.width;
    frame.screen_height = frame.height;
    frame.left = frame.top = 0;
    frame.pixels.clear();
    frame.pixels.shrink_to_fit();
    frame.holder = latest::host;
    frame.lost_draws = false;
}

int frame_width() {
    return the_frame().width;
}

int frame_height() {
    return the_frame().height;
}

bool drawing_enabled() {
    return the_frame().drawing_on;
}

std::uint32_t draw_primitive(std::int32_t primitive, const screen_vertex* vertices,
                             std::int32_t count, const stored_texture* texture) {
    if (vertices == nullptr || count < 3 ||
        (primitive != primitive_triangle_fan && primitive != primitive_triangle_strip)) {
        return 0;
    }
    frame_state& frame = the_frame();
    if (frame.width == 0 || frame.height == 0) {
        return 0; // nothing to look at
    }
    std::vector<screen_vertex> shifted;
    if (frame.left != 0 || frame.top != 0) {
        // Whole pixels: each vertex keeps its place within its pixel.
        shifted.assign(vertices, vertices + count);
        for (screen_vertex& vertex : shifted) {
            vertex.x -= static_cast<float>(frame.left);
            vertex.y -= static_cast<float>(frame.top);
        }
        vertices = shifted.data();
    }
    if (!device_holds_the_frame() || !device_draw(primitive, vertices, count, texture)) {
        frame.lost_draws = true;
        return 0;
    }
    return static_cast<std::uint32_t>(count - 2);
}

bool frame_lost_draws() {
    return the_frame().lost_draws;
}

void reset_frame_settings() {
    the_frame().drawing_on = false;
}

} // namespace detail

bool set_screen_window(std::int32_t screen_width, std::int32_t screen_height, int left, int top,
                       int width, int height) {
    if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > screen_width ||
        top + height > screen_height || width > max_frame_side || height > max_frame_side) {
        return false;
    }
    set_screen_globals(screen_width, screen_height);
    detail::resize_frame(width, height);
    frame_state& frame = the_frame();
    frame.screen_width = screen_width;
    frame.screen_height = screen_height;
    frame.left = left;
    frame.top = top;
    return true;
}

void set_drawing_enabled(bool enabled) {
    install();
    the_frame().drawing_on = enabled;
}

std::string drawing_error() {
    install();
    return detail::device_error();
}

void clear_frame(std::uint32_t rgba) {
    install();
    auto& pixels = pixels_to_paint();
    std::fill(pixels.begin(), pixels.end(), rgba);
}

void paint_backdrop() {
    install();
    auto& pixels = pixels_to_paint();
    const frame_state& frame = the_frame();
    constexpr int checker = 32;
    for (int y = 0; y < frame.height; ++y) {
        // From a dusk sky at the top to asphalt at the bottom, of the screen.
        const int sy = frame.top + y;
        const float t =
            frame.screen_height > 1 ? static_cast<float>(sy) / (frame.screen_height - 1) : 0.0f;
        const auto r = static_cast<std::uint32_t>(70 + (40 - 70) * t);
        const auto g = static_cast<std::uint32_t>(100 + (42 - 100) * t);
        const auto b = static_cast<std::uint32_t>(150 + (48 - 150) * t);
        for (int x = 0; x < frame.width; ++x) {
            const std::uint32_t lift = (((frame.left + x) / checker + sy / checker) % 2) * 10;
            pixels[static_cast<std::size_t>(y) * frame.width + x] =
                (r + lift) | (g + lift) << 8 | (b + lift) << 16 | opaque_black;
        }
    }
}

const std::vector<std::uint32_t>& frame() {
    install();
    return host_pixels();
}

std::uint32_t pixel(int x, int y) {
    install();
    const frame_state& frame = the_frame();
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) {
        return 0;
    }
    return host_pixels()[static_cast<std::size_t>(y) * frame.width + x];
}

} // namespace sim
