#include "canvas.hpp"

#include <algorithm>
#include <cmath>

namespace atlas {

canvas::canvas(int layout_width, int layout_height, double scale, double pixel_offset)
    : width_(static_cast<int>(std::lround(layout_width * scale))),
      height_(static_cast<int>(std::lround(layout_height * scale))), scale_(scale),
      pixel_offset_(pixel_offset),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_)),
      cairo_(cairo_create(surface_)) {
    // A new image surface is already transparent; clear anyway so the
    // background never depends on that.
    cairo_save(cairo_);
    cairo_set_operator(cairo_, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cairo_);
    cairo_restore(cairo_);
    cairo_translate(cairo_, pixel_offset, pixel_offset);
    cairo_scale(cairo_, scale, scale);
}

canvas::~canvas() {
    cairo_destroy(cairo_);
    cairo_surface_destroy(surface_);
}

void canvas::blend_pixel(int x, int y, colour c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || c.a <= 0)
        return;
    cairo_surface_flush(surface_);
    auto* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    auto* pixel = reinterpret_cast<std::uint32_t*>(data + y * stride) + x;

    const double a = std::clamp(c.a, 0.0, 1.0);
    const auto channel = [&](int shift, double source) {
        const double below = ((*pixel >> shift) & 0xFF) / 255.0;
        return std::clamp(source * a + below * (1 - a), 0.0, 1.0);
    };
    const double out_a = channel(24, 1.0);
    const double out_r = channel(16, std::clamp(c.r, 0.0, 1.0));
    const double out_g = channel(8, std::clamp(c.g, 0.0, 1.0));
    const double out_b = channel(0, std::clamp(c.b, 0.0, 1.0));
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
    *pixel = byte(out_a) << 24 | byte(out_r) << 16 | byte(out_g) << 8 | byte(out_b);
    cairo_surface_mark_dirty_rectangle(surface_, x, y, 1, 1);
}

void unpremultiply(const std::uint32_t* argb, std::size_t count, std::uint8_t* rgba) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = argb[i];
        const std::uint32_t a = p >> 24;
        const auto straight = [a](std::uint32_t premultiplied) {
            if (a == 0)
                return std::uint8_t{0};
            return static_cast<std::uint8_t>(
                std::min<std::uint32_t>(255, (premultiplied * 255 + a / 2) / a));
        };
        rgba[4 * i + 0] = straight((p >> 16) & 0xFF);
        rgba[4 * i + 1] = straight((p >> 8) & 0xFF);
        rgba[4 * i + 2] = straight(p & 0xFF);
        rgba[4 * i + 3] = static_cast<std::uint8_t>(a);
    }
}

std::vector<std::uint8_t> canvas::straight_rgba() {
    cairo_surface_flush(surface_);
    const auto* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    for (int y = 0; y < height_; ++y)
        unpremultiply(reinterpret_cast<const std::uint32_t*>(data + y * stride), width_,
                      &rgba[static_cast<std::size_t>(y) * width_ * 4]);
    return rgba;
}

bool canvas::write_png(const std::string& path) {
    cairo_surface_flush(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace atlas
