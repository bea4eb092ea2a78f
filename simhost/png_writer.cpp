// The only place that compiles the PNG writer.
#include "simhost/frame.hpp"
#include "simhost/sim_host.hpp"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace sim {

bool write_frame_png(const std::string& path) {
    install();
    const int width = detail::frame_width();
    const int height = detail::frame_height();
    if (width == 0 || height == 0) {
        return false;
    }
    const auto& pixels = frame(); // reads the device's picture back
    if (detail::frame_lost_draws()) {
        return false;
    }
    // Frame pixels hold the bytes R, G, B, A in memory order, as PNG wants.
    constexpr int channels = 4;
    return stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels) !=
           0;
}

bool write_png(const std::string& path, int width, int height,
               const std::vector<std::uint32_t>& rgba) {
    constexpr int channels = 4;
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return false;
    }
    return stbi_write_png(path.c_str(), width, height, channels, rgba.data(), width * channels) !=
           0;
}

} // namespace sim
