#pragma once
// What the preview sheet shows and where: rows of one screen and settings
// each, cells of one speed over one backdrop each, every cell the lower-right
// square of the frame where the gauge sits, under a label.
#include <string>
#include <vector>

namespace preview {

enum class backdrop { dark, light };

struct shot {
    int readout; // the speed the readout shows, in the row's units; top_speed: at the cap
    backdrop behind;
    int status = 0; // the vehicle's status byte, which the status digit shows
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

// The sheet's rows for the faces given: every row of the km/h face, and the
// mph face's at 1920x1080, 1280x720 and 3840x2160 beside them; with the mph
// face alone, every row in mph. Each face's readouts show every digit in
// the tens and the units place, every hundreds digit the dial reaches, and
// status digits 0 to 9, so every glyph of its atlas is on the sheet.
std::vector<screen_row> sheet_rows(bool with_kmh, bool with_mph);
sheet_layout lay_out(const std::vector<screen_row>& rows);

// A cell's label: the speed as the gauge shows it and the backdrop.
std::string shot_label(const screen_row& row, const shot& s);

// The vehicle's speed in the host's units for a readout in km/h or mph:
// the readout then shows that number.
float host_speed(int readout, bool mph);

// Above the rows: lines naming the skin, its files and the module.
inline constexpr int caption_lines = 3;
inline constexpr int caption_line_height = 24;
inline constexpr int row_title_height = 24;
inline constexpr int cell_label_height = 18;
inline constexpr int gap = 8;

} // namespace preview
