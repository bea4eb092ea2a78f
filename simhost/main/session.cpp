#include "simhost/main/session.hpp"

#include "simhost/main/anchor_frames.hpp"
#include "simhost/main/layout_frames.hpp"
#include "simhost/main/settings_frames.hpp"
#include "simhost/main/sharpness_frames.hpp"
#include "simhost/main/sweep_sheet.hpp"

#include "host/addresses.hpp"
#include "simhost/file_version.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct scene {
    const char* name;
    int width;
    int height;
    float speed; // the vehicle's speed, in the host's units (the dial caps at 1.2)
    std::uint8_t status;
    bool in_vehicle;
};

const scene scenes[] = {
    {"1920x1080_rest", 1920, 1080, 0.0f, 0, true},
    {"1920x1080_cruise", 1920, 1080, 0.5f, 1, true},
    {"1920x1080_top_speed", 1920, 1080, 1.5f, 3, true},
    {"1280x720_city", 1280, 720, 0.3f, 0, true},
    {"1080x1920_portrait_rest", 1080, 1920, 0.0f, 0, true},
    {"1080x1920_portrait_cruise", 1080, 1920, 0.6f, 2, true},
    {"1080x1920_portrait_top_speed", 1080, 1920, 1.2f, 1, true},
    {"1920x1080_on_foot", 1920, 1080, 0.0f, 0, false},
    // 32:9: the screen's corner, as without an anchor.
    {"5120x1440_cruise", 5120, 1440, 0.5f, 1, true},
};

std::string full_path(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

bool check(bool condition, const char* what) {
    std::printf("  %s %s\n", condition ? "ok  " : "FAIL", what);
    return condition;
}

// Where the host would draw its text at x, after passing the shifted call site.
float hud_text_x_after_shift(float x) {
    sim::clear_calls();
    sim::run_text_site(sim::text_site::a, x, 40.0f, 0);
    const auto calls = sim::calls_of(sim::host_fn::hud_text_a);
    return calls.empty() ? -1.0f : calls.back().float_arg(0);
}

bool play_scene(const scene& s, const std::string& out_dir) {
    sim::set_screen(s.width, s.height);
    if (s.in_vehicle) {
        sim::vehicle_state vehicle;
        vehicle.kind = 0;
        vehicle.speed[0] = s.speed;
        vehicle.status = s.status;
        sim::set_vehicle(vehicle);
    } else {
        sim::clear_vehicle();
    }
    sim::paint_backdrop();
    sim::run_event_site(sim::event_site::draw);
    const std::string path = out_dir + "/" + s.name + ".png";
    const bool written = sim::write_frame_png(path);
    const float text_x = static_cast<float>(s.width) - 120.0f;
    std::printf("  %-28s speed %.2f status %u -> %s (HUD text at x %.0f drawn at %.0f)\n", s.name,
                s.speed, static_cast<unsigned>(s.status), path.c_str(), text_x,
                hud_text_x_after_shift(text_x));
    return written;
}

} // namespace

bool run_session(const std::string& module_given, const std::string& game_folder,
                 const std::string& out_given) {
    // The game reads its dictionaries from its current folder, and so does the
    // module's check of them: the session runs in the game folder, with the
    // module and the output found from where the program started.
    const std::string module_path = full_path(module_given);
    const std::string out_dir = full_path(out_given);
    if (!SetCurrentDirectoryA(game_folder.c_str())) {
        std::printf("  FAIL no game folder %s (error %lu)\n", game_folder.c_str(), GetLastError());
        return false;
    }
    sim::install();
    sim::set_drawing_enabled(true);
    sim::set_asset_root("");
    CreateDirectoryA(out_dir.c_str(), nullptr);
    bool ok = true;

    remove_settings_file(module_path); // the scenes show the defaults
    const sim::file_version_info version = sim::read_file_version(module_path);
    std::printf("loading %s, version %s\n", module_path.c_str(),
                version.product_version.empty() ? "(none)" : version.product_version.c_str());
    sim::clear_calls();
    HMODULE module = LoadLibraryA(module_path.c_str());
    if (module == nullptr) {
        std::printf("  FAIL could not load the module (error %lu)\n", GetLastError());
        return false;
    }
    ok &= check(sim::changed_code_bytes().size() <= 15, "only the three event call sites changed");
    ok &= check(sim::calls().empty(), "loading called no host function");

    std::printf("starting a game\n");
    sim::run_event_site(sim::event_site::init);
    ok &= check(sim::loaded_dictionary_count() == 1, "the atlas dictionary is loaded");

    std::printf("driving\n");
    for (const scene& s : scenes) {
        ok &= play_scene(s, out_dir);
    }

    const std::string sheet = out_dir + "/needle_sweep.png";
    ok &= check(write_sweep_sheet(sheet), "the needle sweep from rest to the cap is drawn");

    ok &= play_settings_frames(module, module_path, out_dir);
    ok &= play_anchor_frames(module_path, out_dir);
    ok &= play_layout_drive(module, module_path, out_dir);
    ok &= play_sharpness_frames(module_path, out_dir);

    std::printf("shutting the game down\n");
    sim::run_event_site(sim::event_site::shutdown);
    ok &= check(sim::loaded_dictionary_count() == 0, "the atlas dictionary is released");

    std::printf("unloading\n");
    FreeLibrary(module);
    ok &= check(sim::changed_code_bytes().empty(), "every host byte is as it was");
    std::printf(ok ? "session ok\n" : "session FAILED\n");
    return ok;
}
