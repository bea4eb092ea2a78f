#pragma once
// The atlas being drawn: a cairo image surface with transparent background.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace atlas {

struct colour {
    double r = 0, g = 0, b = 0, a = 1;
};

class canvas {
  public:
    canvas(int width, int height);
    ~canvas();
    canvas(const canvas&) = delete;
    canvas& operator=(const canvas&) = delete;

    cairo_t* context() { return cairo_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Composites a straight-alpha colour over one pixel, for artwork that is
    // computed pixel by pixel rather than stroked.
    void blend_pixel(int x, int y, colour c);

    // Rows top first, R, G, B, A with straight (not premultiplied) alpha.
    std::vector<std::uint8_t> straight_rgba();
    bool write_png(const std::string& path);

  private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cairo_;
};

// cairo keeps premultiplied, native-endian 0xAARRGGBB words.
void unpremultiply(const std::uint32_t* argb, std::size_t count, std::uint8_t* rgba);

} // namespace atlas
