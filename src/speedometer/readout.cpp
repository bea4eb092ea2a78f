#include "speedometer/readout.hpp"

#include "host/functions.hpp"
#include "speedometer/atlas_layout.hpp"
#include "speedometer/atlas_quad.hpp"
#include "speedometer/opacity.hpp"

namespace {

constexpr float atlas_u_per_pixel = 0.0009765625f; // 1 / 1024
constexpr float atlas_v_per_pixel = 1.0f / atlas_layout::height;

// A strip of digit cells, in the floats the texture coordinates are made of.
struct digit_strip {
    float first_left; // left of the cell of digit 1, atlas pixels
    float zero_left;  // left of the cell of digit 0
    float cell_width;
    float v_top;
    float v_bottom;
};

constexpr digit_strip strip_of(const atlas_layout::digit_strip& cells) {
    return {static_cast<float>(cells.first_left), static_cast<float>(cells.zero_left),
            static_cast<float>(cells.cell_width), cells.top * atlas_v_per_pixel,
            cells.bottom * atlas_v_per_pixel};
}

constexpr digit_strip large_strip = strip_of(atlas_layout::large_digits);
constexpr digit_strip small_strip = strip_of(atlas_layout::small_digits);

constexpr std::uint8_t significant_alpha = 255;
constexpr std::uint8_t leading_zero_alpha = 30;

float cell_left(const digit_strip& strip, std::uint32_t digit) {
    if (digit == 0) {
        return strip.zero_left;
    }
    return static_cast<float>(digit - 1) * strip.cell_width + strip.first_left;
}

void draw_digit(const digit_strip& strip, std::uint32_t digit, const host_color& colour, float x,
                float y, float width, float height) {
    const float left = cell_left(strip, digit);
    host_rect rect;
    host_make_rect(rect, x, y, x + width, y + height);
    const atlas_uv uv{left * atlas_u_per_pixel, strip.v_top,
                      (left + strip.cell_width) * atlas_u_per_pixel, strip.v_bottom};
    fill_atlas_quad(rect, colour, uv);
    render_atlas_quad();
}

struct shown_digit {
    std::uint32_t digit;
    std::uint8_t alpha;
};

} // namespace

void draw_readout_digit(std::uint32_t digit, std::uint8_t alpha, float x, float y, float width,
                        float height) {
    host_color colour;
    make_faded_color(colour, 255, 255, 255, alpha);
    draw_digit(large_strip, digit, colour, x, y, width, height);
}

void draw_status_digit(std::uint32_t digit, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                       float x, float y, float width, float height) {
    host_color colour;
    make_faded_color(colour, red, green, blue, 255);
    draw_digit(small_strip, digit, colour, x, y, width, height);
}

void draw_readout_number(std::uint32_t value, float x, float y, float digit_width,
                         float digit_height, float advance) {
    constexpr shown_digit dimmed_zero{0, leading_zero_alpha};
    shown_digit first = dimmed_zero;
    shown_digit second = dimmed_zero;
    shown_digit third = dimmed_zero;
    if (value >= 100) {
        first = {value / 100 % 10, significant_alpha};
        second = {value / 10 % 10, significant_alpha};
        third = {value % 10, significant_alpha};
    } else if (value >= 10) {
        second = {value / 10, significant_alpha};
        third = {value % 10, significant_alpha};
    } else if (value >= 1) {
        third = {value, significant_alpha};
    }
    draw_readout_digit(first.digit, first.alpha, x, y, digit_width, digit_height);
    draw_readout_digit(second.digit, second.alpha, x + advance, y, digit_width, digit_height);
    draw_readout_digit(third.digit, third.alpha, x + (advance + advance), y, digit_width,
                       digit_height);
}
