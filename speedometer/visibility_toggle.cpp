#include "speedometer/visibility_toggle.hpp"

#include "speedometer/settings.hpp"

#include <windows.h>

namespace {

bool hidden = false;
bool key_was_down = false;

} // namespace

void show_speedometer() {
    hidden = false;
    key_was_down = false;
}

bool speedometer_shown_this_frame() {
    // Without a key the module makes no call the default display did not make.
    if (active_settings.toggle_key == 0) {
        return !hidden;
    }
    const bool down = (GetAsyncKeyState(active_settings.toggle_key) & 0x8000) != 0;
    if (down && !key_was_down) {
        hidden = !hidden;
    }
    key_was_down = down;
    return !hidden;
}

bool speedometer_hidden() {
    return hidden;
}
