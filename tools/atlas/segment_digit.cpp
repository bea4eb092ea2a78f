#include "segment_digit.hpp"

#include <array>

namespace atlas {

namespace {

// Segments a to g: top, upper right, lower right, bottom, lower left, upper
// left, middle; bit 0 is a.
constexpr std::array<unsigned, 10> segments_of_digit{
    0b0111111, 0b0000110, 0b1011011, 0b1001111, 0b1100110,
    0b1101101, 0b1111101, 0b0000111, 0b1111111, 0b1101111,
};

struct point {
    double x, y;
};

class slanted_path {
  public:
    slanted_path(cairo_t* cr, double x, double y, const segment_style& s)
        : cr_(cr), x_(x), y_(y), style_(s) {}

    // A bar with pointed ends from a to b, horizontal or vertical.
    void bar(point a, point b) {
        const double half = style_.thickness / 2;
        const double gap = style_.gap;
        if (a.y == b.y) {
            a.x += gap;
            b.x -= gap;
            polygon({{{a.x, a.y},
                      {a.x + half, a.y - half},
                      {b.x - half, b.y - half},
                      {b.x, b.y},
                      {b.x - half, b.y + half},
                      {a.x + half, a.y + half}}});
        } else {
            a.y += gap;
            b.y -= gap;
            polygon({{{a.x, a.y},
                      {a.x + half, a.y + half},
                      {b.x + half, b.y - half},
                      {b.x, b.y},
                      {b.x - half, b.y - half},
                      {a.x - half, a.y + half}}});
        }
    }

  private:
    void polygon(const std::array<point, 6>& corners) {
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const point p = place(corners[i]);
            if (i == 0)
                cairo_move_to(cr_, p.x, p.y);
            else
                cairo_line_to(cr_, p.x, p.y);
        }
        cairo_close_path(cr_);
    }
    point place(point p) const {
        return {x_ + p.x + (style_.height - p.y) * style_.slant, y_ + p.y};
    }

    cairo_t* cr_;
    double x_, y_;
    segment_style style_;
};

} // namespace

void segment_digit_path(cairo_t* cr, int digit, double x, double y, const segment_style& style) {
    const double half = style.thickness / 2;
    const point left_top{half, half};
    const point right_top{style.width - half, half};
    const point left_middle{half, style.height / 2};
    const point right_middle{style.width - half, style.height / 2};
    const point left_bottom{half, style.height - half};
    const point right_bottom{style.width - half, style.height - half};
    const std::array<std::array<point, 2>, 7> bars{{
        {left_top, right_top},
        {right_top, right_middle},
        {right_middle, right_bottom},
        {left_bottom, right_bottom},
        {left_middle, left_bottom},
        {left_top, left_middle},
        {left_middle, right_middle},
    }};
    slanted_path path(cr, x, y, style);
    const unsigned lit = segments_of_digit[static_cast<unsigned>(digit) % 10];
    for (std::size_t i = 0; i < bars.size(); ++i)
        if (lit & (1u << i))
            path.bar(bars[i][0], bars[i][1]);
}

double segment_digit_extent(const segment_style& style) {
    return style.width + style.height * style.slant;
}

} // namespace atlas
