#include "simhost/main/settings_frames.hpp"

#include "simhost/import_tap.hpp"
#include "simhost/sim_host.hpp"

#include <cstdio>
#include <fstream>

namespace {

struct settings_frame {
    const char* name;
    const char* settings;
    bool press_toggle_key; // pressed before the frame is drawn
    float text_shift;      // expected, on a 1920 x 1080 screen
    // The dictionary the game draws from, as the module named it to the host.
    const char* dictionary = "models\\speedometer.txd";
};

const settings_frame frames[] = {
    {"1920x1080_mph", "[speedometer]\nunits = mph\n", false, 355.0f, "models\\speedometer_mph.txd"},
    {"1920x1080_scale_0.75_offset", "[speedometer]\nscale = 0.75\noffset_x = 60\noffset_y = 40\n",
     false, 326.0f},
    {"1920x1080_hidden_by_toggle_key", "[speedometer]\ntoggle_key = F8\n", true, 0.0f},
    // The example skin, packed by the skin kit's packer.
    {"1920x1080_skin_light", "[speedometer]\nskin = light\n", false, 355.0f,
     "models\\speedometer_light.txd"},
    {"1920x1080_skin_light_mph", "[speedometer]\nskin = Light\nunits = mph\n", false, 355.0f,
     "models\\speedometer_light_mph.txd"},
    {"1920x1080_opacity_0.5", "[speedometer]\nopacity = 0.5\n", false, 355.0f},
    // A name that would reach outside the models folder: the shipped
    // artwork, and the log line beside the frame.
    {"1920x1080_skin_refused", "[speedometer]\nskin = ..\\speedometer\n", false, 355.0f},
};

bool toggle_key_down = false;

SHORT WINAPI simulated_key_state(int key) {
    return key == VK_F8 && toggle_key_down ? static_cast<SHORT>(0x8000) : 0;
}

std::string settings_path(const std::string& module_path) {
    const std::size_t dot = module_path.find_last_of('.');
    return module_path.substr(0, dot) + ".ini";
}

bool write_text(const std::string& path, const char* text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

bool check(bool condition, const char* what) {
    std::printf("  %s %s\n", condition ? "ok  " : "FAIL", what);
    return condition;
}

std::string log_path(const std::string& module_path) {
    return module_path.substr(0, module_path.find_last_of('.')) + ".log";
}

// The log the game wrote, beside its frame; none when it had nothing to say.
void keep_log_beside(const std::string& module_path, const std::string& frame_log) {
    DeleteFileA(frame_log.c_str());
    if (CopyFileA(log_path(module_path).c_str(), frame_log.c_str(), FALSE)) {
        std::printf("  log: %s\n", frame_log.c_str());
    }
}

bool play(const settings_frame& f, const std::string& module_path, const std::string& out_dir) {
    const std::string picture = out_dir + "/" + f.name + ".png";
    const std::string settings = out_dir + "/" + f.name + ".ini";
    DeleteFileA(log_path(module_path).c_str()); // so that it holds this game's lines alone
    sim::clear_calls();
    bool ok = start_game_with_settings(module_path, f.settings) && write_text(settings, f.settings);
    const auto loads = sim::calls_of(sim::host_fn::load_txd);
    ok &= check(!loads.empty() && loads.back().text_arg(0) == f.dictionary &&
                    loads.back().result != 0,
                (std::string("drawn from ") + f.dictionary).c_str());
    keep_log_beside(module_path, out_dir + "/" + f.name + ".log");

    sim::set_screen(1920, 1080);
    sim::vehicle_state vehicle;
    vehicle.speed[0] = 0.8f;
    vehicle.status = 1;
    sim::set_vehicle(vehicle);
    toggle_key_down = false;
    sim::run_event_site(sim::event_site::draw); // the key is up for a frame
    toggle_key_down = f.press_toggle_key;

    sim::paint_backdrop();
    sim::clear_calls();
    sim::run_event_site(sim::event_site::draw);
    const std::size_t renders = sim::count_of(sim::host_fn::render_2d);
    ok &= sim::write_frame_png(picture);
    sim::clear_calls();
    sim::run_text_site(sim::text_site::a, 1800.0f, 40.0f, 0);
    const auto text = sim::calls_of(sim::host_fn::hud_text_a);
    const float shift = text.empty() ? -1.0f : 1800.0f - text.back().float_arg(0);
    toggle_key_down = false;

    std::printf("  %-32s -> %s with %s (%zu render calls, HUD text moved %.0f)\n", f.name,
                picture.c_str(), settings.c_str(), renders, shift);
    ok &= check((renders == 0) == f.press_toggle_key,
                f.press_toggle_key ? "nothing drawn while hidden" : "the gauge is drawn");
    ok &= check(shift == f.text_shift, "the HUD text moves as the settings say");
    return ok;
}

float text_shift_now() {
    sim::clear_calls();
    sim::run_text_site(sim::text_site::a, 1800.0f, 40.0f, 0);
    const auto text = sim::calls_of(sim::host_fn::hud_text_a);
    return text.empty() ? -1.0f : 1800.0f - text.back().float_arg(0);
}

bool write_frame_with_settings(const std::string& out_dir, const char* name, const char* settings) {
    const std::string picture = out_dir + "/" + name + ".png";
    sim::paint_backdrop();
    sim::run_event_site(sim::event_site::draw);
    std::printf("  %-32s -> %s with %s/%s.ini (HUD text moved %.0f)\n", name, picture.c_str(),
                out_dir.c_str(), name, text_shift_now());
    return sim::write_frame_png(picture) && write_text(out_dir + "/" + name + ".ini", settings);
}

// The module's clock while the player edits the file, as the module reads it
// through its GetTickCount import: 50 ms a frame, however slowly a busy
// machine runs the frames. The module's promise is kept by its own clock.
DWORD module_clock = 0;

DWORD WINAPI module_tick_count() {
    return module_clock;
}

// One game in which the player saves a new size and place: frames keep coming
// at about 20 a second, until the gauge has moved.
bool play_change_during_a_game(HMODULE module, const std::string& module_path,
                               const std::string& out_dir) {
    const char before[] = "[speedometer]\nscale = 1.0\n";
    const char after[] = "[speedometer]\nscale = 1.2\noffset_x = 40\noffset_y = 60\n";
    bool ok = write_text(settings_path(module_path), before);
    sim::run_event_site(sim::event_site::shutdown);
    // The new game waits, by the real clock, for the file just written to
    // hold still.
    sim::run_event_site(sim::event_site::init);
    module_clock = GetTickCount();
    auto* const real_clock = tap_import(module, "KERNEL32.dll", "GetTickCount", &module_tick_count);
    ok &= check(real_clock != nullptr, "the module's clock is read through its GetTickCount "
                                       "import");
    sim::set_screen(1920, 1080);
    sim::vehicle_state vehicle;
    vehicle.speed[0] = 0.8f;
    vehicle.status = 1;
    sim::set_vehicle(vehicle);
    ok &= write_frame_with_settings(out_dir, "1920x1080_in_game_before_edit", before);

    ok &= write_text(settings_path(module_path), after);
    const DWORD saved = module_clock;
    const DWORD saved_on_the_wall = GetTickCount();
    while (text_shift_now() != 466.0f && module_clock - saved < 3000) {
        Sleep(50);
        module_clock += 50;
        sim::run_event_site(sim::event_site::draw);
    }
    const DWORD waited = module_clock - saved;
    const DWORD wall = GetTickCount() - saved_on_the_wall;
    ok &= write_frame_with_settings(out_dir, "1920x1080_in_game_after_edit", after);
    std::printf("  the same game, %lu ms after the file was saved by the module's clock "
                "(%lu frames; %lu ms on the wall clock)\n",
                waited, waited / 50, wall);
    ok &= check(text_shift_now() == 466.0f, "the edit shows in the same game");
    // A look at the file at most a second after the save, and the read a
    // quarter of a second after that look.
    ok &= check(waited <= 1300, "within about 1.3 s by the module's clock");
    if (real_clock != nullptr) {
        tap_import(module, "KERNEL32.dll", "GetTickCount", real_clock);
    }
    return ok;
}

} // namespace

bool start_game_with_settings(const std::string& module_path, const char* settings) {
    const bool written = write_text(settings_path(module_path), settings);
    sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    return written;
}

void remove_settings_file(const std::string& module_path) {
    DeleteFileA(settings_path(module_path).c_str());
}

bool play_settings_frames(HMODULE module, const std::string& module_path,
                          const std::string& out_dir) {
    std::printf("settings files\n");
    bool ok = check(tap_import(module, "USER32.dll", "GetAsyncKeyState",
                               reinterpret_cast<void*>(&simulated_key_state)) != nullptr,
                    "the toggle key is read through the module's GetAsyncKeyState import");
    ok &= check(sim::bring_host_window_to_front(),
                "the game's window is in front, so the toggle key is for it");
    for (const settings_frame& f : frames) {
        ok &= play(f, module_path, out_dir);
    }
    ok &= play_change_during_a_game(module, module_path, out_dir);
    remove_settings_file(module_path);
    sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    return ok;
}
