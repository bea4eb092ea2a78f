#include "simhost/main/layout_frames.hpp"

#include "simhost/import_tap.hpp"
#include "simhost/main/settings_frames.hpp"
#include "simhost/sim_host.hpp"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

const char before[] = "; speedometer.ini, placed by hand until now\r\n"
                      "[speedometer]\r\n"
                      "units = kmh\r\n"
                      "layout_key = F8\r\n"
                      "scale = 1.0\r\n"
                      "; pushed in from the corner, past the minimap's edge\r\n"
                      "offset_x = 40\r\n"
                      "\r\n"
                      "[another mod]\r\n"
                      "colour = red\r\n";

// The keys as the module reads them, through its GetAsyncKeyState import,
// and its clock through its GetTickCount import: 50 ms a frame.
std::vector<int> held;
DWORD module_clock = 0;

SHORT WINAPI drive_key_state(int key) {
    for (int k : held) {
        if (k == key) {
            return static_cast<SHORT>(0x8000);
        }
    }
    return 0;
}

DWORD WINAPI drive_clock() {
    return module_clock;
}

void frame() {
    module_clock += 50;
    sim::run_event_site(sim::event_site::draw);
}

// Pressed for a frame and let go for a frame, as a player taps a key.
void tap_keys(std::vector<int> keys, int times = 1) {
    for (int i = 0; i < times; ++i) {
        held = keys;
        frame();
        held.clear();
        frame();
    }
}

bool check(bool condition, const char* what) {
    std::printf("  %s %s\n", condition ? "ok  " : "FAIL", what);
    return condition;
}

std::string file_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool write_text(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The new file is the old one with the three lines changed and one added.
bool only_the_three_values_changed(const std::string& old_text, const std::string& new_text) {
    const auto old_lines = lines_of(old_text);
    const auto new_lines = lines_of(new_text);
    std::size_t o = 0;
    for (const std::string& line : new_lines) {
        const bool ours = line.starts_with("scale =") || line.starts_with("offset_x =") ||
                          line.starts_with("offset_y =");
        if (o < old_lines.size() && line == old_lines[o]) {
            ++o;
        } else if (!ours) {
            return false;
        } else if (o < old_lines.size() && (old_lines[o].starts_with("scale =") ||
                                            old_lines[o].starts_with("offset_x ="))) {
            ++o;
        }
    }
    return o == old_lines.size();
}

void print_file(const char* name, const std::string& text) {
    std::printf("  %s:\n", name);
    for (const std::string& line : lines_of(text)) {
        std::printf("    | %s\n", line.substr(0, line.find('\r')).c_str());
    }
}

float dial_left() {
    const auto batches = sim::render_batches();
    return batches.empty() ? -1.0f : batches.front().vertices.at(0).x;
}

} // namespace

bool play_layout_drive(HMODULE module, const std::string& module_path, const std::string& out_dir) {
    std::printf("layout mode\n");
    const std::string ini = module_path.substr(0, module_path.find_last_of('.')) + ".ini";
    bool ok = start_game_with_settings(module_path, before);
    ok &= write_text(out_dir + "/layout_before.ini", before);
    auto* const real_keys = tap_import(module, "USER32.dll", "GetAsyncKeyState", &drive_key_state);
    module_clock = GetTickCount();
    auto* const real_clock = tap_import(module, "KERNEL32.dll", "GetTickCount", &drive_clock);
    ok &= check(real_keys != nullptr && real_clock != nullptr,
                "keys and clock are read through the module's imports");
    ok &= check(sim::bring_host_window_to_front(), "the game's window is in front");
    sim::set_screen(1920, 1080);
    sim::vehicle_state vehicle;
    vehicle.speed[0] = 0.6f;
    vehicle.status = 1;
    sim::set_vehicle(vehicle);
    frame();
    const float dial_before = dial_left();

    tap_keys({VK_F8});
    tap_keys({VK_SHIFT, VK_LEFT}, 5); // 50 reference pixels further left
    tap_keys({VK_SHIFT, VK_UP}, 3);   // 30 up
    tap_keys({VK_UP}, 2);             // and 2 more
    tap_keys({VK_PRIOR}, 3);          // scale 1.15
    sim::paint_backdrop();
    sim::clear_calls();
    frame();
    const std::size_t renders_in_mode = sim::count_of(sim::host_fn::render_2d);
    const float dial_in_mode = dial_left();
    ok &= sim::write_frame_png(out_dir + "/layout_mode.png");
    std::printf("  %s/layout_mode.png: %zu render calls (the gauge's 9 and the frame's 4), dial's "
                "left edge at x %.0f (was %.0f)\n",
                out_dir.c_str(), renders_in_mode, dial_in_mode, dial_before);
    ok &= check(renders_in_mode == 13, "the mode's frame is drawn around the gauge");
    // 1920 - (354 * 1.15 + 90), in whole pixels.
    ok &= check(dial_in_mode == 1423.0f, "moved and scaled as the keys say");

    tap_keys({VK_RETURN});
    sim::paint_backdrop();
    sim::clear_calls();
    frame();
    ok &= sim::write_frame_png(out_dir + "/layout_saved.png");
    ok &= check(sim::count_of(sim::host_fn::render_2d) == 9 && dial_left() == dial_in_mode,
                "Enter saves and leaves the mode; the gauge stays where it was placed");
    const std::string after = file_text(ini);
    ok &= write_text(out_dir + "/layout_after.ini", after);
    print_file((out_dir + "/layout_before.ini").c_str(), before);
    print_file((out_dir + "/layout_after.ini").c_str(), after);
    ok &= check(only_the_three_values_changed(before, after),
                "the file differs from the old one only in the three values");
    ok &= check(after.find("scale = 1.15\r\n") != std::string::npos &&
                    after.find("offset_x = 90\r\n") != std::string::npos &&
                    after.find("offset_y = 32\r\n") != std::string::npos,
                "scale 1.15, offset_x 90 and offset_y 32 saved, with the file's line ends");
    // The follower reads the saved file back like any change, and the place
    // stays.
    for (int i = 0; i < 30; ++i) {
        frame();
    }
    ok &= check(dial_left() == dial_in_mode, "read back by the module, the place stays");

    tap_import(module, "USER32.dll", "GetAsyncKeyState", real_keys);
    tap_import(module, "KERNEL32.dll", "GetTickCount", real_clock);
    remove_settings_file(module_path);
    return ok;
}
