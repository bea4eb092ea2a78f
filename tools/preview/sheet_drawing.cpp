#include "sheet_drawing.hpp"

#include "sheet_text.hpp"

#include "simhost/sim_host.hpp"

#include <stdexcept>
#include <string>

namespace preview {

namespace {

constexpr std::uint32_t sheet_colour = 0xFF262626;
constexpr std::uint32_t title_colour = 0xFFFFFFFF;
constexpr std::uint32_t label_colour = 0xFFBEBEBE;
// A bright sky or a sunlit road behind the gauge; the dark backdrop is the
// demo's dusk and asphalt, so a dark cell is the demo's frame.
constexpr std::uint32_t light_backdrop = 0xFFE8DCC8;
// A new game reads the row's settings; the module must then have loaded the
// skin's own dictionary, not stepped down to the shipped one.
void start_game(const game_folder& folder, const screen_row& row, bool first_game) {
    folder.write_settings(row.settings);
    sim::clear_calls();
    if (!first_game)
        sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    const std::string expected =
        std::string("models\\speedometer_") + staged_skin + (row.mph ? "_mph" : "") + ".txd";
    const auto loads = sim::calls_of(sim::host_fn::load_txd);
    if (loads.empty() || loads.front().text_arg(0) != expected || loads.front().result == 0) {
        std::string log = folder.module_log();
        while (!log.empty() && (log.back() == '\n' || log.back() == '\r'))
            log.pop_back();
        throw std::runtime_error("the module did not load the skin's dictionary" +
                                 (log.empty() ? std::string() : "; its log:\n" + log));
    }
}

void draw_cell(const screen_row& row, const shot& s, const cell_place& place,
               sheet_picture& sheet) {
    sim::vehicle_state vehicle;
    vehicle.speed[0] = host_speed(s.readout, row.mph);
    vehicle.status = static_cast<std::uint8_t>(s.status);
    sim::set_vehicle(vehicle);
    if (s.behind == backdrop::dark)
        sim::paint_backdrop();
    else
        sim::clear_frame(light_backdrop);
    sim::run_event_site(sim::event_site::draw);
    if (!sim::copy_frame_region(0, 0, row.cell, row.cell, sheet.pixels, sheet.width, place.x,
                                place.y))
        throw std::runtime_error("cannot draw: " + sim::drawing_error());
    const int label_scale = row.cell >= 300 ? 2 : 1;
    draw_text(sheet.pixels, sheet.width, place.x, place.y - cell_label_height + 2,
              shot_label(row, s), label_scale, label_colour);
}

} // namespace

sheet_picture draw_sheet(const game_folder& folder, const std::vector<screen_row>& rows,
                         const std::vector<std::string>& caption,
                         const std::function<void(const sheet_picture&)>& first_row_drawn) {
    const sheet_layout layout = lay_out(rows);
    sheet_picture sheet{layout.width, layout.height,
                        std::vector<std::uint32_t>(static_cast<std::size_t>(layout.width) *
                                                       static_cast<std::size_t>(layout.height),
                                                   sheet_colour)};
    for (std::size_t line = 0; line < caption.size() && line < caption_lines; ++line)
        draw_text(sheet.pixels, sheet.width, gap,
                  gap + static_cast<int>(line) * caption_line_height, caption[line], 2,
                  title_colour);
    int row_started = -1;
    for (const cell_place& place : layout.cells) {
        const screen_row& row = rows[static_cast<std::size_t>(place.row)];
        if (place.row != row_started) {
            if (row_started == 0 && first_row_drawn)
                first_row_drawn(sheet);
            // A row with the settings of the one before plays on in its game.
            const screen_row* before =
                row_started < 0 ? nullptr : &rows[static_cast<std::size_t>(row_started)];
            if (before == nullptr || before->settings != row.settings || before->mph != row.mph)
                start_game(folder, row, before == nullptr);
            // Only the cell's corner of the screen is drawn and read back:
            // the gauge lands there as on the whole screen.
            sim::set_screen_window(row.width, row.height, row.width - row.cell,
                                   row.height - row.cell, row.cell, row.cell);
            draw_text(sheet.pixels, sheet.width, gap,
                      place.y - cell_label_height - row_title_height + 4, row.title, 2,
                      title_colour);
            row_started = place.row;
        }
        draw_cell(row, row.shots[static_cast<std::size_t>(place.shot)], place, sheet);
    }
    sim::run_event_site(sim::event_site::shutdown);
    return sheet;
}

} // namespace preview
