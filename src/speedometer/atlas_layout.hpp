#pragma once
// Where each sprite lives in the speedometer atlas, in layout pixels: a grid
// of 1024 by 512 over the texture, whatever its size. The module's texture
// coordinates are fractions of the grid, so a texture drawn at twice the size
// (as the artwork tool draws it) needs no change here. The module draws from
// these regions and the artwork tool draws into them, so the two always
// agree. The km/h and the mph dictionaries share this layout.
namespace atlas_layout {

inline constexpr int width = 1024;
inline constexpr int height = 512;

struct pixel_rect {
    int left;
    int top;
    int right;
    int bottom;
};

inline constexpr pixel_rect dial_face{0, 0, 291, 291};
inline constexpr pixel_rect progress_arc{291, 0, 582, 291}; // a circle inscribed in the square
inline constexpr pixel_rect needle{658, 0, 674, 118};       // standing straight up
inline constexpr pixel_rect hub{582, 0, 658, 76};
inline constexpr pixel_rect status_sprite{582, 76, 640, 134};

// A row of digit cells in the order 1 to 9, then 0.
struct digit_strip {
    int first_left; // left of the cell of digit 1
    int zero_left;  // left of the cell of digit 0
    int cell_width;
    int top;
    int bottom;
};

inline constexpr digit_strip large_digits{0, 900, 100, 291, 451};
inline constexpr digit_strip small_digits{582, 978, 44, 134, 190};

} // namespace atlas_layout
