#pragma once
// A frame the simulated host wrote, read back as cairo's 32-bit pixels, for
// the programs that measure frames.
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace atlas {

struct frame_image {
    cairo_surface_t* surface;
    int width() const { return cairo_image_surface_get_width(surface); }
    int height() const { return cairo_image_surface_get_height(surface); }
    std::uint32_t at(int x, int y) const {
        const auto* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
    }
};

// Ends the program with a message when the file cannot be read.
inline frame_image load_frame(const char* path) {
    frame_image loaded{cairo_image_surface_create_from_png(path)};
    if (cairo_surface_status(loaded.surface) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "cannot read %s\n", path);
        std::exit(1);
    }
    cairo_surface_flush(loaded.surface);
    return loaded;
}

} // namespace atlas
