#include "skin_layout.hpp"

namespace skin {

namespace {

void add_digit_cells(std::vector<named_sprite>& sprites, const char* strip_name,
                     const atlas_layout::digit_strip& strip) {
    for (int digit = 0; digit < 10; ++digit) {
        const int left =
            digit == 0 ? strip.zero_left : strip.first_left + strip.cell_width * (digit - 1);
        sprites.push_back({std::string(strip_name) + " " + std::to_string(digit),
                           {left, strip.top, left + strip.cell_width, strip.bottom}});
    }
}

bool power_of_two(int side) {
    return side > 0 && (side & (side - 1)) == 0;
}

} // namespace

std::vector<named_sprite> layout_sprites() {
    std::vector<named_sprite> sprites = {
        {"dial face", atlas_layout::dial_face},
        {"progress arc", atlas_layout::progress_arc},
        {"needle", atlas_layout::needle},
        {"hub", atlas_layout::hub},
        {"status light", atlas_layout::status_sprite},
    };
    add_digit_cells(sprites, "speed digit", atlas_layout::large_digits);
    add_digit_cells(sprites, "status digit", atlas_layout::small_digits);
    return sprites;
}

bool allowed_size(int width, int height) {
    return power_of_two(width) && width == 2 * height && width >= 512 && width <= 4096;
}

} // namespace skin
