#pragma once
// Draws the preview sheet's cells: one game a row, started with the row's
// settings, and each cell a frame of the gauge over its backdrop.
#include "game_folder.hpp"
#include "sheet_layout.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace preview {

struct sheet_picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // R | G << 8 | B << 16 | A << 24
};

// Needs the module loaded from the game folder, no game started, and the
// rows' dictionaries staged. `caption`: up to caption_lines lines above the
// rows. Throws std::runtime_error when a row's dictionary did not load or
// the device drew nothing.
// `first_row_drawn`, when given, is handed the sheet once its first row is
// drawn, the rest still empty.
sheet_picture draw_sheet(const game_folder& folder, const std::vector<screen_row>& rows,
                         const std::vector<std::string>& caption,
                         const std::function<void(const sheet_picture&)>& first_row_drawn = {});

} // namespace preview
