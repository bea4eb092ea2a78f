#pragma once
// What the preview sheet shows and where: rows of one screen and settings
// each, cells of one speed over one backdrop each, every cell the lower-right
// square of the frame where the gauge sits, under a label.
#include <string>
#include <vector>

namespace preview {

enum class backdrop { dark, light };

struct shot {
    int kmh; // the vehicle's speed; top_speed: at the dial's cap
    backdrop behind;
};
inline constexpr int top_speed = -1;

struct screen_row {
    std::string title;
    int width, height;
    std::string settings; // lines of speedometer.ini beside the skin's name
    bool mph;
    int cell; // side of the frame's lower-right square shown
    std::vector<shot> shots;
};

struct cell_place {
    int row, shot;
    int x, y, side; // the frame's square on the sheet, below its label
};

struct sheet_layout {
    int width, height;
    std::vector<cell_place> cells;
};

// The sheet's rows for the faces given: every row of the km/h face, and one
// of the mph face beside it; with the mph face alone, every row in mph.
std::vector<screen_row> sheet_rows(bool with_kmh, bool with_mph);
sheet_layout lay_out(const std::vector<screen_row>& rows);

// A cell's label: the speed as the gauge shows it and the backdrop.
std::string shot_label(const screen_row& row, const shot& s);

// The vehicle's speed in the host's units for a shot's km/h: the readout
// then shows that km/h.
float host_speed(int kmh);

// Above the rows: lines naming the skin, its files and the module.
inline constexpr int caption_lines = 3;
inline constexpr int caption_line_height = 24;
inline constexpr int row_title_height = 24;
inline constexpr int cell_label_height = 18;
inline constexpr int gap = 8;

} // namespace preview
