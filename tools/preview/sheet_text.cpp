#include "sheet_text.hpp"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop

#include <algorithm>

namespace preview {

namespace {

struct font_vertex {
    float x, y, z;
    unsigned char colour[4];
};

} // namespace

void draw_text(std::vector<std::uint32_t>& picture, int picture_width, int x, int y,
               const std::string& text, int scale, std::uint32_t colour) {
    std::string writable = text; // the font's functions take a mutable string
    std::vector<font_vertex> quads(writable.size() * 70 * 4 + 4);
    const int count = stb_easy_font_print(0, 0, writable.data(), nullptr, quads.data(),
                                          static_cast<int>(quads.size() * sizeof(font_vertex)));
    const int picture_height = static_cast<int>(picture.size()) / picture_width;
    for (int q = 0; q < count; ++q) {
        const font_vertex* corner = &quads[static_cast<std::size_t>(q) * 4];
        // Every quad is an upright rectangle: its first and third corners span it.
        const int left = std::max(0, x + static_cast<int>(corner[0].x) * scale);
        const int top = std::max(0, y + static_cast<int>(corner[0].y) * scale);
        const int right = std::min(picture_width, x + static_cast<int>(corner[2].x) * scale);
        const int bottom = std::min(picture_height, y + static_cast<int>(corner[2].y) * scale);
        for (int py = top; py < bottom; ++py)
            std::fill(
                &picture[static_cast<std::size_t>(py) * picture_width + left],
                &picture[static_cast<std::size_t>(py) * picture_width + std::max(left, right)],
                colour);
    }
}

int text_width(const std::string& text) {
    std::string writable = text;
    return stb_easy_font_width(writable.data());
}

} // namespace preview
