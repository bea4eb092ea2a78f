#pragma once
// A stand-in for the speedometer atlas in which every region looks different
// and shows its orientation: a region taken from the wrong place, or drawn
// mirrored or upside down, is plain to see in a rendered frame.
//
// Regions (atlas pixels, right and bottom exclusive):
//   dial face     (0, 0) to (291, 291)     dark blue disc, ticks, "DIAL"
//   arc image     (291, 0) to (582, 291)   colour wheel: hue follows the angle
//   hub           (582, 0) to (658, 76)    white ring on grey
//   needle        (658, 0) to (674, 118)   green shaft, red tip at the top
//   status sprite (582, 76) to (640, 134)  white disc
//   small digits  y 134 to 190, cells 44 wide from x 582, order 1..9, 0
//   large digits  y 291 to 451, cells 100 wide from x 0, order 1..9, 0
// Every region has an orange top-left corner; every digit cell has its own
// background colour, its digit as a white glyph and a black top-left corner.
// Unused atlas space is a magenta and black checkerboard.
#include "assets/texture_dictionary.hpp"
#include "host/types.hpp"

#include <cstdint>
#include <vector>

namespace test_atlas {

inline constexpr int width = 1024;
inline constexpr int height = 512;

// Pixels as the simulated host takes them: R | G << 8 | B << 16 | A << 24.
std::vector<std::uint32_t> pixels();

// Registers the atlas with the simulated host and returns its texture record.
host_texture* add_to_host();

// The atlas as the one texture of a dictionary file, named "speedometer".
txd::texture_image dictionary_image();

// Background colour of a digit cell (digit 0 to 9), as in pixels().
std::uint32_t digit_colour(int digit);

// Colours used for the regions, as in pixels().
inline constexpr std::uint32_t unused_magenta = 0xFFFF00FF;
inline constexpr std::uint32_t corner_orange = 0xFF0080FF;
inline constexpr std::uint32_t needle_green = 0xFF00C000;
inline constexpr std::uint32_t needle_tip_red = 0xFF0000FF;
inline constexpr std::uint32_t dial_blue = 0xFF603010;

} // namespace test_atlas

// The atlas as a dictionary texture; the same as test_atlas::dictionary_image.
inline txd::texture_image make_test_atlas_image() {
    return test_atlas::dictionary_image();
}
