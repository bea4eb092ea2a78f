#pragma once
// The atlas being drawn: a cairo image surface with transparent background.
// Artwork is drawn in layout pixels; the canvas has `scale` of its own pixels
// to each, so the same vector drawing gives a sharper atlas at a larger size.
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
    // A pixel offset moves the whole drawing right and down by that many of
    // the canvas's pixels (for matching where a device samples a texture).
    canvas(int layout_width, int layout_height, double scale = 1.0, double pixel_offset = 0.0);
    ~canvas();
    canvas(const canvas&) = delete;
    canvas& operator=(const canvas&) = delete;

    cairo_t* context() { return cairo_; }
    // In the canvas's own pixels.
    int width() const { return width_; }
    int height() const { return height_; }
    double scale() const { return scale_; }
    double pixel_offset() const { return pixel_offset_; }

    // Composites a straight-alpha colour over one of the canvas's own pixels,
    // for artwork that is computed pixel by pixel rather than stroked.
    void blend_pixel(int x, int y, colour c);

    // Rows top first, R, G, B, A with straight (not premultiplied) alpha.
    std::vector<std::uint8_t> straight_rgba();
    bool write_png(const std::string& path);

  private:
    int width_;
    int height_;
    double scale_;
    double pixel_offset_;
    cairo_surface_t* surface_;
    cairo_t* cairo_;
};

// cairo keeps premultiplied, native-endian 0xAARRGGBB words.
void unpremultiply(const std::uint32_t* argb, std::size_t count, std::uint8_t* rgba);

} // namespace atlas
