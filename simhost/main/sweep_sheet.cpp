#include "simhost/main/sweep_sheet.hpp"

#include "simhost/sim_host.hpp"

#include <cstdint>
#include <vector>

namespace {

constexpr int screen_width = 1920;
constexpr int screen_height = 1080;
constexpr int cell = 360; // the corner the speedometer occupies, and some margin
constexpr int columns = 5;
constexpr int rows = 3;
constexpr float top_speed = 1.2f;

} // namespace

bool write_sweep_sheet(const std::string& path) {
    const int sheet_width = columns * cell;
    std::vector<std::uint32_t> sheet(static_cast<std::size_t>(sheet_width) * rows * cell);
    sim::set_screen(screen_width, screen_height);
    const int frames = columns * rows;
    for (int i = 0; i < frames; ++i) {
        sim::vehicle_state vehicle;
        vehicle.speed[0] = top_speed * static_cast<float>(i) / static_cast<float>(frames - 1);
        vehicle.status = static_cast<std::uint8_t>(i % 4);
        sim::set_vehicle(vehicle);
        sim::paint_backdrop();
        sim::run_event_site(sim::event_site::draw);
        sim::copy_frame_region(screen_width - cell, screen_height - cell, cell, cell, sheet,
                               sheet_width, i % columns * cell, i / columns * cell);
    }
    // Frames the device could not draw make no sheet.
    return sim::drawing_error().empty() && sim::write_png(path, sheet_width, rows * cell, sheet);
}
