#include "sheet_layout.hpp"

#include <algorithm>

namespace preview {

namespace {

// The gauge's corner with some margin: 360 pixels on a 1080-line screen at
// scale 1, and in proportion on the others.
constexpr int corner_1080 = 360;
// The readout shows the host's speed times this, cut to a whole number.
constexpr float kmh_per_host_speed = 175.0f;
constexpr float beyond_the_cap = 1.5f;

std::vector<shot> four_speeds(backdrop first_two, backdrop last_two) {
    return {{0, first_two}, {60, first_two}, {150, last_two}, {top_speed, last_two}};
}

std::vector<shot> four_speeds_twice() {
    std::vector<shot> shots = four_speeds(backdrop::dark, backdrop::dark);
    for (const shot s : four_speeds(backdrop::light, backdrop::light))
        shots.push_back(s);
    return shots;
}

} // namespace

float host_speed(int kmh) {
    if (kmh == top_speed)
        return beyond_the_cap;
    // Half a km/h above, so that the readout's cut shows the speed asked for;
    // at rest the vehicle stands still.
    return kmh == 0 ? 0.0f : (static_cast<float>(kmh) + 0.5f) / kmh_per_host_speed;
}

std::vector<screen_row> sheet_rows(bool with_kmh, bool with_mph) {
    const auto dark = backdrop::dark, light = backdrop::light;
    std::vector<screen_row> rows = {
        {"1920x1080", 1920, 1080, "", false, corner_1080, four_speeds(dark, dark)},
        {"1920x1080", 1920, 1080, "", false, corner_1080, four_speeds(light, light)},
        {"1920x1080", 1920, 1080, "units = mph\n", true, corner_1080, four_speeds(dark, light)},
        {"1920x1080, opacity 0.5", 1920, 1080, "opacity = 0.5\n", false, corner_1080,
         four_speeds(dark, light)},
        // Small screens draw from the smaller copies, where thin margins show.
        {"1280x720, scale 0.5", 1280, 720, "scale = 0.5\n", false, corner_1080 / 3 + 8,
         four_speeds_twice()},
        // The artwork at its full size, pixel for pixel.
        {"3840x2160, 1:1", 3840, 2160, "", false, corner_1080 * 2, {{150, dark}, {150, light}}},
    };
    if (!with_mph || !with_kmh)
        std::erase_if(rows, [](const screen_row& row) { return row.mph; });
    for (screen_row& row : rows) {
        // The mph face alone: each row as a player who chose mph sees it.
        if (!with_kmh && !row.mph) {
            row.settings = "units = mph\n" + row.settings;
            row.mph = true;
        }
        row.title += row.mph ? ", mph face" : ", km/h face";
    }
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
    if (s.kmh == 0)
        speed = "rest";
    else if (s.kmh == top_speed)
        speed = "top speed";
    else if (row.mph)
        speed = std::to_string(static_cast<int>(s.kmh / 1.609344)) + " mph";
    else
        speed = std::to_string(s.kmh) + " km/h";
    return speed + (s.behind == backdrop::dark ? ", dark" : ", light");
}

} // namespace preview
