#include "simhost/main/anchor_frames.hpp"

#include "simhost/main/settings_frames.hpp"
#include "simhost/sim_host.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr char anchored[] = "[speedometer]\nanchor = 16:9\n";
constexpr char anchored_unshifted[] = "[speedometer]\nanchor = 16:9\nhud_text_shift = off\n";
// Where the game puts its text in these frames, from the screen's right edge,
// as in the session's scenes.
constexpr float text_from_right = 120.0f;

bool check(bool condition, const char* what) {
    std::printf("  %s %s\n", condition ? "ok  " : "FAIL", what);
    return condition;
}

bool write_text(const std::string& path, const char* text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

// The leftmost and rightmost x of every vertex the frame's render calls had.
struct span {
    float left = 1e9f;
    float right = -1e9f;
};

span drawn_span() {
    span s;
    for (const auto& batch : sim::render_batches()) {
        for (const auto& vertex : batch.vertices) {
            s.left = std::min(s.left, vertex.x);
            s.right = std::max(s.right, vertex.x);
        }
    }
    return s;
}

// A game under these settings on this screen, driving: the frame drawn.
span drive(const std::string& module_path, const char* settings, int width, int height) {
    start_game_with_settings(module_path, settings);
    sim::set_screen(width, height);
    sim::vehicle_state vehicle;
    vehicle.speed[0] = 0.5f;
    vehicle.status = 1;
    sim::set_vehicle(vehicle);
    sim::paint_backdrop();
    sim::clear_calls();
    sim::run_event_site(sim::event_site::draw);
    return drawn_span();
}

float text_x_drawn(float x) {
    sim::clear_calls();
    sim::run_text_site(sim::text_site::a, x, 40.0f, 0);
    const auto calls = sim::calls_of(sim::host_fn::hud_text_a);
    return calls.empty() ? -1.0f : calls.back().float_arg(0);
}

// A column of the lower third in this colour, 3 pixels wide, over the frame.
void mark(std::vector<std::uint32_t>& picture, int width, int height, float x, std::uint32_t rgba) {
    for (int y = height * 2 / 3; y < height; ++y) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int column = static_cast<int>(x) + dx;
            if (column >= 0 && column < width) {
                picture[static_cast<std::size_t>(y) * width + column] = rgba;
            }
        }
    }
}

bool anchor_16x9_on_32x9(const std::string& module_path, const std::string& out_dir) {
    const std::string name = out_dir + "/5120x1440_anchor_16x9";
    const span gauge = drive(module_path, anchored, 5120, 1440);
    bool ok = sim::write_frame_png(name + ".png") && write_text(name + ".ini", anchored);
    std::printf("  %-32s -> %s.png with %s.ini (gauge from x %.0f to %.0f)\n",
                "5120x1440_anchor_16x9", name.c_str(), name.c_str(), gauge.left, gauge.right);
    // The dial's left edge stands 354 reference pixels (472 here) left of the
    // area's corner, as it stands left of the screen's corner by default.
    ok &= check(gauge.left == 3840.0f - 472.0f && gauge.right < 3840.0f,
                "the gauge at the corner of the centred 2560x1440 area (x 1280 to 3840)");
    return ok;
}

// On a 21:9 screen the area's corner is 440 pixels in from the screen's: the
// shift, measured from the screen's edge, moves the game's text onto the gauge.
bool text_shift_on_21x9(const std::string& module_path, const std::string& out_dir) {
    constexpr int width = 3440, height = 1440;
    const float text_x = width - text_from_right;
    const span unshifted_gauge = drive(module_path, anchored_unshifted, width, height);
    const float unshifted = text_x_drawn(text_x);
    const span gauge = drive(module_path, anchored, width, height);
    const float shifted = text_x_drawn(text_x);
    std::vector<std::uint32_t> picture = sim::frame();
    bool ok = !picture.empty() && sim::drawing_error().empty();
    if (ok) {
        mark(picture, width, height, 440.0f, 0xFFFFFFFF); // the 16:9 area's edges, white
        mark(picture, width, height, 3000.0f, 0xFFFFFFFF);
        mark(picture, width, height, shifted, 0xFF0000FF);   // the text with the shift, red
        mark(picture, width, height, unshifted, 0xFF00FF00); // and without, green
    }
    const std::string name = out_dir + "/3440x1440_anchor_16x9_text_shift";
    ok = ok && sim::write_png(name + ".png", width, height, picture) &&
         write_text(name + ".ini", anchored);
    std::printf("  %-32s -> %s.png with %s.ini (gauge from x %.0f to %.0f; HUD text at x %.0f "
                "drawn at %.0f with the shift on (red), at %.0f with it off (green))\n",
                "3440x1440_anchor_16x9_text_shift", name.c_str(), name.c_str(), gauge.left,
                gauge.right, text_x, shifted, unshifted);
    ok &= check(unshifted_gauge.left == gauge.left && unshifted_gauge.right == gauge.right,
                "the shift moves the text only");
    ok &= check(shifted > gauge.left && shifted < gauge.right,
                "with the shift on, the text lands on the gauge");
    ok &= check(unshifted == text_x && unshifted > gauge.right,
                "with the shift off, the text stays at the screen's edge, clear of the gauge");
    return ok;
}

} // namespace

bool play_anchor_frames(const std::string& module_path, const std::string& out_dir) {
    std::printf("wide screens with anchor = 16:9\n");
    bool ok = anchor_16x9_on_32x9(module_path, out_dir);
    ok &= text_shift_on_21x9(module_path, out_dir);
    remove_settings_file(module_path);
    sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    return ok;
}
