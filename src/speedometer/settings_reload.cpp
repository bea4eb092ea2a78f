#include "speedometer/settings_reload.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "speedometer/settings.hpp"
#include "speedometer/settings_file_check.hpp"
#include "speedometer/visibility_toggle.hpp"

#include <windows.h>

#include <cstring>

namespace {

constexpr DWORD check_interval_ms = 1000;

// What the file looked like at the last check. The size as well as the time,
// for file systems whose times are coarse.
struct file_stamp {
    bool present = false;
    FILETIME last_write{};
    DWORD size_high = 0;
    DWORD size_low = 0;

    bool operator==(const file_stamp& other) const {
        return present == other.present &&
               last_write.dwLowDateTime == other.last_write.dwLowDateTime &&
               last_write.dwHighDateTime == other.last_write.dwHighDateTime &&
               size_high == other.size_high && size_low == other.size_low;
    }
};

// Found once, at the first init: the frames then only read it. The log names
// it in UTF-8.
wchar_t settings_path[MAX_PATH];
char settings_path_utf8[MAX_PATH * 3];
bool path_known = false;

file_stamp last_seen;
DWORD last_check = 0;

// What the file asked for last of the settings that wait for the next game,
// so that each such request is logged once, not at every save.
speed_units units_asked = speed_units::kmh;
bool text_shift_asked = true;
char skin_asked[skin_name_max + 1] = {};

file_stamp stamp_now() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(settings_path, GetFileExInfoStandard, &data)) {
        return {};
    }
    return {true, data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow};
}

// The profile functions take a file they cannot open for an empty one, which
// would put every setting back to its default while an editor holds the file
// for a moment.
bool readable() {
    const HANDLE file = CreateFileW(settings_path, GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

template <class T>
void tell_once_if_it_waits(const char* key, T asked, T in_force, T& last_asked, const char* word) {
    if (asked != in_force && asked != last_asked) {
        log_line("%s = %s takes effect at the next game (%s)", key, word, settings_path_utf8);
    }
    last_asked = asked;
}

// The skin's dictionary is loaded at init, like the units'.
void tell_once_if_skin_waits(const char* asked) {
    if (std::strcmp(asked, active_settings.skin) != 0 && std::strcmp(asked, skin_asked) != 0) {
        log_line("skin = %s takes effect at the next game (%s)", asked[0] != '\0' ? asked : "none",
                 settings_path_utf8);
    }
    std::strcpy(skin_asked, asked);
}

void apply_during_game(speedometer_settings read) {
    tell_once_if_it_waits("units", read.units, active_settings.units, units_asked,
                          read.units == speed_units::mph ? "mph" : "kmh");
    tell_once_if_it_waits("hud_text_shift", read.hud_text_shift, active_settings.hud_text_shift,
                          text_shift_asked, read.hud_text_shift ? "on" : "off");
    read.units = active_settings.units;
    read.hud_text_shift = active_settings.hud_text_shift;
    tell_once_if_skin_waits(read.skin);
    std::memcpy(read.skin, active_settings.skin, sizeof read.skin);
    const bool new_key = read.toggle_key != active_settings.toggle_key;
    active_settings = read;
    // The old key's hidden state means nothing for the new key.
    if (new_key) {
        show_speedometer();
    }
}

} // namespace

void load_settings_for_new_game() {
    if (!path_known) {
        path_known = path_beside_module(L".ini", settings_path, MAX_PATH);
        to_utf8(settings_path, settings_path_utf8, sizeof settings_path_utf8);
    }
    last_check = GetTickCount();
    // Before the read, so that an edit made while it reads is seen.
    last_seen = path_known ? stamp_now() : file_stamp{};
    if (last_seen.present && !readable()) {
        last_seen = {}; // read again once it can be
    }
    load_settings();
    units_asked = active_settings.units;
    text_shift_asked = active_settings.hud_text_shift;
    std::strcpy(skin_asked, active_settings.skin);
}

void follow_settings_file() {
    if (!path_known) {
        return;
    }
    const DWORD now = GetTickCount();
    // Unsigned, so the difference stays right when the count wraps after
    // 49.7 days.
    if (now - last_check < check_interval_ms) {
        return;
    }
    last_check = now;
    const file_stamp seen = stamp_now();
    if (seen == last_seen) {
        return;
    }
    last_seen = seen;
    // Gone, perhaps only while an editor saves by renaming a new file over
    // it, or emptied by one that then writes it anew: the game goes on with
    // what was read last.
    if (!seen.present || (seen.size_high == 0 && seen.size_low == 0)) {
        return;
    }
    if (!readable()) {
        last_seen = {};
        return;
    }
    if (!settings_file_size_allowed(settings_path)) {
        return;
    }
    const speedometer_settings read = read_settings_file(settings_path);
    // Saved again while it was read: the values may be half the old file's
    // and half the new one's. Read it whole a second later.
    if (!(stamp_now() == seen)) {
        last_seen = {};
        return;
    }
    apply_during_game(read);
}
