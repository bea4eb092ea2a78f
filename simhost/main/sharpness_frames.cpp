#include "simhost/main/sharpness_frames.hpp"

#include "simhost/main/settings_frames.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <cstdio>

namespace {

struct screen {
    const char* name;
    int width;
    int height;
    const char* settings;
    bool cruise_frame; // the session's scenes have the others
};

const screen screens[] = {
    {"1280x720_scale_0.5", 1280, 720, "[speedometer]\nscale = 0.5\n", true},
    {"1920x1080", 1920, 1080, "[speedometer]\n", false},
    {"2560x1440", 2560, 1440, "[speedometer]\n", true},
    {"3840x2160", 3840, 2160, "[speedometer]\n", true},
    {"1920x1080_mph", 1920, 1080, "[speedometer]\nunits = mph\n", false},
};

bool draw(float speed, bool in_vehicle, const std::string& path) {
    if (in_vehicle) {
        sim::vehicle_state vehicle;
        vehicle.speed[0] = speed;
        vehicle.status = 1;
        sim::set_vehicle(vehicle);
    } else {
        sim::clear_vehicle();
    }
    sim::paint_backdrop();
    sim::run_event_site(sim::event_site::draw);
    return sim::write_frame_png(path);
}

} // namespace

bool play_sharpness_frames(const std::string& module_path, const std::string& out_dir) {
    std::printf("sharp on every screen\n");
    const std::string measured = out_dir + "/sharpness";
    CreateDirectoryA(measured.c_str(), nullptr);
    bool ok = true;
    for (const screen& s : screens) {
        ok &= start_game_with_settings(module_path, s.settings);
        sim::set_screen(s.width, s.height);
        const std::string cruise = out_dir + "/" + s.name + "_cruise.png";
        const std::string prefix = measured + "/" + s.name;
        const bool drawn = (!s.cruise_frame || draw(0.5f, true, cruise)) &&
                           draw(0.0f, true, prefix + "_rest.png") &&
                           draw(0.0f, false, prefix + "_backdrop.png");
        std::printf("  %s %-20s -> %s%s_{rest,backdrop}.png\n", drawn ? "ok  " : "FAIL", s.name,
                    s.cruise_frame ? (cruise + ", ").c_str() : "", prefix.c_str());
        ok &= drawn;
    }
    remove_settings_file(module_path);
    sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    return ok;
}
