#include "speedometer/layout_mode.hpp"

#include "settings/placement_save.hpp"
#include "settings/settings.hpp"
#include "speedometer/key_presses.hpp"
#include "speedometer/placement.hpp"

#include <windows.h>

#include <cstdint>

const gauge_placement* placement_being_tried = nullptr;

namespace {

// The ranges the settings file allows, and the steps of the keys.
constexpr float smallest_scale = 0.5f;
constexpr float largest_scale = 2.0f;
constexpr float largest_offset = 1000.0f;
constexpr int scale_step_millionths = 50000;
constexpr float shift_step = 10.0f;
// A held key steps again after this long, and then this often.
constexpr DWORD repeat_after_ms = 400;
constexpr DWORD repeat_every_ms = 40;
// A save that finds the file held open by another program is tried this
// often, for this long, before it is refused.
constexpr DWORD save_retry_every_ms = 100;
constexpr DWORD save_retry_for_ms = 2000;

// One of the mode's keys: a step on the frame it goes down, and while it is
// held, again after a pause at a steady pace.
struct mode_key {
    std::uint8_t code;
    bool repeats;
    bool down = false;
    DWORD next_step = 0;

    // Read once a frame.
    bool steps(DWORD now) {
        const bool was_down = down;
        down = key_held(code);
        if (down && !was_down) {
            next_step = now + repeat_after_ms;
            return true;
        }
        if (down && repeats && static_cast<std::int32_t>(now - next_step) >= 0) {
            next_step = now + repeat_every_ms;
            return true;
        }
        return false;
    }
};

enum key_index { left, right, up, down, page_up, page_down, home, enter, escape, key_count };

mode_key keys[key_count] = {{VK_LEFT, true},  {VK_RIGHT, true},   {VK_UP, true},
                            {VK_DOWN, true},  {VK_PRIOR, true},   {VK_NEXT, true},
                            {VK_HOME, false}, {VK_RETURN, false}, {VK_ESCAPE, false}};

gauge_placement tried{};
std::uint8_t layout_key_in_use = 0;
bool layout_key_down = false;
bool saving = false;
DWORD saving_since = 0;
DWORD last_save_try = 0;

float clamped(float value, float lowest, float highest) {
    return value < lowest ? lowest : value > highest ? highest : value;
}

// The scale in millionths, as the file's decimals are read: 0.05 steps from
// 1.234 land on 1.284, not on a float sum's neighbour.
float scaled_by_step(float scale, int steps) {
    // Positive, so adding a half and cutting rounds to the nearest.
    const auto millionths = static_cast<long long>(static_cast<double>(scale) * 1e6 + 0.5);
    const double stepped = static_cast<double>(millionths + steps * scale_step_millionths) / 1e6;
    return clamped(static_cast<float>(stepped), smallest_scale, largest_scale);
}

void enter_mode() {
    tried = {active_settings.scale, active_settings.offset_x, active_settings.offset_y};
    placement_being_tried = &tried;
    saving = false;
    // A key already down as the mode starts is no press.
    for (mode_key& key : keys) {
        key.down = key_held(key.code);
    }
}

void try_to_save(DWORD now) {
    const bool last_try = now - saving_since >= save_retry_for_ms;
    last_save_try = now;
    switch (save_placement(tried.scale, tried.offset_x, tried.offset_y, last_try)) {
    case placement_saved::saved:
        end_layout_mode();
        return;
    case placement_saved::refused:
        saving = false;
        return;
    case placement_saved::held_open:
        return;
    }
}

void move(float right_by, float down_by) {
    // Offsets count leftwards and upwards from the corner.
    tried.offset_x = clamped(tried.offset_x - right_by, 0.0f, largest_offset);
    tried.offset_y = clamped(tried.offset_y - down_by, 0.0f, largest_offset);
}

void read_mode_keys(DWORD now) {
    bool pressed[key_count];
    for (int i = 0; i < key_count; ++i) {
        pressed[i] = keys[i].steps(now);
    }
    if (pressed[escape]) {
        end_layout_mode();
        return;
    }
    if (saving) {
        if (now - last_save_try >= save_retry_every_ms) {
            try_to_save(now);
        }
        return;
    }
    const float step = key_held(VK_SHIFT) ? shift_step : 1.0f;
    move((pressed[right] ? step : 0.0f) - (pressed[left] ? step : 0.0f),
         (pressed[down] ? step : 0.0f) - (pressed[up] ? step : 0.0f));
    // Only a step rounds: a scale of more decimals stays as the file has it.
    const int scale_steps = (pressed[page_up] ? 1 : 0) - (pressed[page_down] ? 1 : 0);
    if (scale_steps != 0) {
        tried.scale = scaled_by_step(tried.scale, scale_steps);
    }
    if (pressed[home]) {
        tried = {active_settings.scale, active_settings.offset_x, active_settings.offset_y};
    }
    if (pressed[enter]) {
        saving = true;
        saving_since = now;
        try_to_save(now);
    }
}

} // namespace

void layout_mode_frame() {
    const std::uint8_t key = active_settings.layout_key;
    // Without a key the module reads no key it did not read before.
    if (key == 0 && layout_key_in_use == 0) {
        return;
    }
    if (key != layout_key_in_use) {
        // Another key named in the file: the old one's state means nothing.
        end_layout_mode();
        layout_key_in_use = key;
        layout_key_down = key != 0 && key_held(key);
        return;
    }
    const bool down = key_held(key);
    const bool pressed = down && !layout_key_down;
    layout_key_down = down;
    if (placement_being_tried == nullptr) {
        if (pressed && host_window_in_front()) {
            enter_mode();
        }
        return;
    }
    if (!host_window_in_front()) {
        return;
    }
    if (pressed) {
        end_layout_mode();
        return;
    }
    read_mode_keys(GetTickCount());
}

void end_layout_mode() {
    placement_being_tried = nullptr;
    saving = false;
}

bool in_layout_mode() {
    return placement_being_tried != nullptr;
}
