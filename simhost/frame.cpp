#include "simhost/frame.hpp"

#include "simhost/rasteriser.hpp"
#include "simhost/sim_host.hpp"

#include <algorithm>

namespace sim {
namespace {

constexpr std::uint32_t opaque_black = 0xFF000000;
// A screen size beyond this still reaches the module through the globals, but
// the frame stops growing.
constexpr std::int32_t max_frame_side = 16384;

struct frame_state {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool rasteriser_on = true;
    texture_filter filter = texture_filter::bilinear;
};

frame_state& the_frame() {
    static frame_state frame;
    return frame;
}

} // namespace

namespace detail {

void resize_frame(std::int32_t width, std::int32_t height) {
    frame_state& frame = the_frame();
    frame.width = std::clamp(width, 0, max_frame_side);
    frame.height = std::clamp(height, 0, max_frame_side);
    frame.pixels.assign(static_cast<std::size_t>(frame.width) * frame.height, opaque_black);
}

int frame_width() {
    return the_frame().width;
}

int frame_height() {
    return the_frame().height;
}

bool rasteriser_enabled() {
    return the_frame().rasteriser_on;
}

std::uint32_t draw_primitive(std::int32_t primitive, const screen_vertex* vertices,
                             std::int32_t count, const stored_texture* texture) {
    if (vertices == nullptr || count < 3 ||
        (primitive != primitive_triangle_fan && primitive != primitive_triangle_strip)) {
        return 0;
    }
    frame_state& frame = the_frame();
    const frame_view target{frame.width, frame.height, frame.pixels.data()};
    texture_view source;
    source.filter = frame.filter;
    if (texture != nullptr) {
        source.width = texture->width;
        source.height = texture->height;
        source.texels = texture->texels.data();
    }
    for (std::int32_t i = 0; i + 2 < count; ++i) {
        if (primitive == primitive_triangle_fan) {
            fill_triangle(target, vertices[0], vertices[i + 1], vertices[i + 2], source);
        } else {
            fill_triangle(target, vertices[i], vertices[i + 1], vertices[i + 2], source);
        }
    }
    return static_cast<std::uint32_t>(count - 2);
}

void reset_frame_settings() {
    frame_state& frame = the_frame();
    frame.rasteriser_on = true;
    frame.filter = texture_filter::bilinear;
}

} // namespace detail

void set_rasteriser_enabled(bool enabled) {
    install();
    the_frame().rasteriser_on = enabled;
}

void set_texture_filter(texture_filter filter) {
    install();
    the_frame().filter = filter;
}

void clear_frame(std::uint32_t rgba) {
    install();
    auto& pixels = the_frame().pixels;
    std::fill(pixels.begin(), pixels.end(), rgba);
}

void paint_backdrop() {
    install();
    frame_state& frame = the_frame();
    constexpr int checker = 32;
    for (int y = 0; y < frame.height; ++y) {
        // From a dusk sky at the top to asphalt at the bottom.
        const float t = frame.height > 1 ? static_cast<float>(y) / (frame.height - 1) : 0.0f;
        const auto r = static_cast<std::uint32_t>(70 + (40 - 70) * t);
        const auto g = static_cast<std::uint32_t>(100 + (42 - 100) * t);
        const auto b = static_cast<std::uint32_t>(150 + (48 - 150) * t);
        for (int x = 0; x < frame.width; ++x) {
            const std::uint32_t lift = ((x / checker + y / checker) % 2) * 10;
            frame.pixels[static_cast<std::size_t>(y) * frame.width + x] =
                (r + lift) | (g + lift) << 8 | (b + lift) << 16 | opaque_black;
        }
    }
}

const std::vector<std::uint32_t>& frame() {
    install();
    return the_frame().pixels;
}

std::uint32_t pixel(int x, int y) {
    install();
    const frame_state& frame = the_frame();
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) {
        return 0;
    }
    return frame.pixels[static_cast<std::size_t>(y) * frame.width + x];
}

} // namespace sim
