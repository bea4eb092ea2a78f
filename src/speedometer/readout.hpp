#pragma once
// Digits drawn from the atlas's two digit strips, one quad per digit.
#include <cstdint>

// One large white digit (0 to 9) with its left-top corner at (x, y).
void draw_readout_digit(std::uint32_t digit, std::uint8_t alpha, float x, float y, float width,
                        float height);

// Three large digits, advance pixels apart: the value's last three digits,
// leading zeros dimmed rather than left out.
void draw_readout_number(std::uint32_t value, float x, float y, float digit_width,
                         float digit_height, float advance);

// One small opaque digit (0 to 9) in the given colour with its left-top
// corner at (x, y).
void draw_status_digit(std::uint32_t digit, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                       float x, float y, float width, float height);
