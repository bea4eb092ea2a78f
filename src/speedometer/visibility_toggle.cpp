#include "speedometer/visibility_toggle.hpp"

#include "settings/settings.hpp"
#include "speedometer/key_presses.hpp"

#include <cstdint>

namespace {

bool hidden = false;
bool key_was_down = false;
// The key the hidden state belongs to: when the settings name another, the
// old key's state means nothing for the new one, and the gauge shows again.
std::uint8_t key_in_use = 0;

bool toggle_key_down() {
    return key_held(active_settings.toggle_key);
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
