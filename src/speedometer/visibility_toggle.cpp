#include "speedometer/visibility_toggle.hpp"

#include "settings/settings.hpp"

#include <windows.h>

#include <cstdint>

namespace {

bool hidden = false;
bool key_was_down = false;
// The key the hidden state belongs to: when the settings name another, the
// old key's state means nothing for the new one, and the gauge shows again.
std::uint8_t key_in_use = 0;

bool toggle_key_down() {
    return (GetAsyncKeyState(active_settings.toggle_key) & 0x8000) != 0;
}

// The key is read system-wide: a press typed into a chat or browser window
// while the game draws behind it is not meant for the game.
bool host_window_in_front() {
    DWORD process = 0;
    const HWND front = GetForegroundWindow();
    return front != nullptr && GetWindowThreadProcessId(front, &process) != 0 &&
           process == GetCurrentProcessId();
}

} // namespace

void show_speedometer() {
    hidden = false;
    key_in_use = active_settings.toggle_key;
    // A key held down through init is no press: only a new one flips.
    key_was_down = active_settings.toggle_key != 0 && toggle_key_down();
}

bool speedometer_shown_this_frame() {
    if (active_settings.toggle_key != key_in_use) {
        show_speedometer();
    }
    // Without a key the module makes no call the default display did not make.
    if (active_settings.toggle_key == 0) {
        return !hidden;
    }
    const bool down = toggle_key_down();
    if (down && !key_was_down && host_window_in_front()) {
        hidden = !hidden;
    }
    key_was_down = down;
    return !hidden;
}

bool speedometer_hidden() {
    return hidden && key_in_use == active_settings.toggle_key;
}
