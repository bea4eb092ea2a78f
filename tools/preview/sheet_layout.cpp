#include "sheet_layout.hpp"

#include <algorithm>

namespace preview {

namespace {

// The gauge's corner with some margin: 360 pixels on a 1080-line screen at
// scale 1, and in proportion on the others.
constexpr int corner_1080 = 360;
// The readout shows the host's speed times these, cut to a whole number.
constexpr float kmh_per_host_speed = 175.0f;
constexpr float mph_per_host_speed = 108.73996f;
constexpr float beyond_the_cap = 1.5f;
constexpr int status_digits = 10;

constexpr backdrop dark = backdrop::dark, light = backdrop::light;

// A screen of the sheet, with its readouts in either unit. The readouts are
// chosen so that each face's rows together show every digit in every place
// that can show it (the hundreds place reaches 2 in km/h, 1 in mph): a
// glyph drawn wrong is seen on the sheet, not first in the game.
struct screen {
    const char* title;
    int width, height;
    const char* settings;
    int cell;
    std::vector<shot> kmh, mph;
    bool with_both_faces; // also the mph face's row beside the km/h one
};

std::vector<screen> screens() {
    return {
        {"1920x1080",
         1920,
         1080,
         "",
         corner_1080,
         {{0, dark}, {48, dark}, {159, dark}, {top_speed, dark}},
         {{0, dark}, {48, dark}, {96, light}, {top_speed, light}},
         true},
        {"1920x1080",
         1920,
         1080,
         "",
         corner_1080,
         {{0, light}, {67, light}, {136, light}, {top_speed, light}},
         {{0, light}, {67, light}, {113, light}, {top_speed, light}},
         false},
        {"1920x1080, opacity 0.5",
         1920,
         1080,
         "opacity = 0.5\n",
         corner_1080,
         {{0, dark}, {48, dark}, {159, light}, {top_speed, light}},
         {{0, dark}, {48, dark}, {96, light}, {top_speed, light}},
         false},
        // Small screens draw from the smaller copies, where thin margins show.
        {"1280x720, scale 0.5",
         1280,
         720,
         "scale = 0.5\n",
         corner_1080 / 3 + 8,
         {{0, dark},
          {21, dark},
          {72, dark},
          {183, dark},
          {94, light},
          {125, light},
          {196, light},
          {top_speed, light}},
         {{0, dark},
          {12, dark},
          {25, dark},
          {37, dark},
          {51, light},
          {64, light},
          {83, light},
          {top_speed, light}},
         true},
        // The artwork at its full size, pixel for pixel.
        {"3840x2160, 1:1",
         3840,
         2160,
         "",
         corner_1080 * 2,
         {{159, dark}, {136, light}},
         {{79, dark}, {113, light}},
         true},
    };
}

screen_row row_of(const screen& s, bool mph) {
    return {std::string(s.title) + (mph ? ", mph face" : ", km/h face"),
            s.width,
            s.height,
            (mph ? std::string("units = mph\n") : std::string()) + s.settings,
            mph,
            s.cell,
            mph ? s.mph : s.kmh};
}

} // namespace

float host_speed(int readout, bool mph) {
    if (readout == top_speed)
        return beyond_the_cap;
    // Half a unit above, so that the readout's cut shows the number asked
    // for; at rest the vehicle stands still.
    return readout == 0 ? 0.0f
                        : (static_cast<float>(readout) + 0.5f) /
                              (mph ? mph_per_host_speed : kmh_per_host_speed);
}

std::vector<screen_row> sheet_rows(bool with_kmh, bool with_mph) {
    std::vector<screen_row> rows;
    for (const screen& s : screens()) {
        rows.push_back(row_of(s, !with_kmh));
        if (with_kmh && with_mph && s.with_both_faces)
            rows.push_back(row_of(s, true));
    }
    // Status digits 0 to 9 in turn along each face's cells.
    int next_status[2] = {0, 0};
    for (screen_row& row : rows)
        for (shot& s : row.shots)
            s.status = next_status[row.mph]++ % status_digits;
    return rows;
}

sheet_layout lay_out(const std::vector<screen_row>& rows) {
    sheet_layout sheet{0, gap + caption_lines * caption_line_height, {}};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int top = sheet.height + row_title_height + cell_label_height;
        int x = gap;
        for (std::size_t s = 0; s < rows[r].shots.size(); ++s) {
            sheet.cells.push_back({static_cast<int>(r), static_cast<int>(s), x, top, rows[r].cell});
            x += rows[r].cell + gap;
        }
        sheet.width = std::max(sheet.width, x);
        sheet.height = top + rows[r].cell + gap;
    }
    return sheet;
}

std::string shot_label(const screen_row& row, const shot& s) {
    std::string speed;
    if (s.readout == 0)
        speed = "rest";
    else if (s.readout == top_speed)
        speed = "top speed";
    else
        speed = std::to_string(s.readout) + (row.mph ? " mph" : " km/h");
    return speed + (s.behind == backdrop::dark ? ", dark" : ", light");
}

} // namespace preview
