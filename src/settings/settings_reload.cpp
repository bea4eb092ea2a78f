#include "settings/settings_reload.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "settings/settings.hpp"
#include "settings/settings_file_check.hpp"

#include <windows.h>

#include <cstring>

namespace {

constexpr DWORD check_interval_ms = 1000;
// A changed file is read once its stamp has held still this long: an editor
// that saves in pieces is then, most likely, done.
constexpr DWORD settle_ms = 250;
// At a new game, a read cut short is tried again this often, for as long in
// all as a player would not notice at a loading screen.
constexpr DWORD retry_pause_ms = 50;
constexpr DWORD retries_for_ms = 200;
// A file saved again and again (an autosave, a sync client) never holds still
// for a quarter second: after this long it is read anyway, and a read that
// raced a save is thrown away by the stamp check after it.
constexpr DWORD unbroken_change_ms = 3000;
// Reads cut short for this long are told to the player, once an episode.
constexpr DWORD told_unreadable_after_ms = 10000;

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
DWORD wait_ms = check_interval_ms;
// The file changed, or a read of it was cut short, and no read has been
// kept since.
bool unread_change = false;
// Since when the stamp has changed at every look, while it does.
bool changing = false;
DWORD changing_since = 0;
// Since when every read was cut short, while they are; and whether the player
// was told, after which new games no longer wait for the file.
bool failing = false;
DWORD failing_since = 0;
bool failure_told = false;
// The settings as the file last gave them in full, the wait-for-the-next-game
// ones included: what a new game uses when its own read is cut short.
speedometer_settings read_in_full;

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

// Keeps count of reads cut short, and tells the player once an episode when
// the file could not be read for long.
void note_read(bool complete) {
    const DWORD now = GetTickCount();
    if (complete) {
        failing = false;
        failure_told = false;
        return;
    }
    if (!failing) {
        failing = true;
        failing_since = now;
    }
    if (!failure_told && now - failing_since >= told_unreadable_after_ms) {
        failure_told = true;
        const char* name = settings_path_utf8;
        for (const char* c = settings_path_utf8; *c != '\0'; ++c) {
            if (*c == '\\' || *c == '/') {
                name = c + 1;
            }
        }
        log_line("%s could not be read for 10 s; another program may hold it open; the settings "
                 "last read stay",
                 name);
    }
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
    active_settings = read;
}

} // namespace

void load_settings_for_new_game() {
    if (!path_known) {
        path_known = path_beside_module(L".ini", settings_path, MAX_PATH);
        to_utf8(settings_path, settings_path_utf8, sizeof settings_path_utf8);
    }
    // Before the read, so that an edit made while it reads is seen.
    last_seen = path_known ? stamp_now() : file_stamp{};
    bool complete = load_settings();
    note_read(complete);
    // Once the player was told the file cannot be read, games start at once.
    for (DWORD waited = 0; !complete && !failure_told && waited < retries_for_ms;
         waited += retry_pause_ms) {
        Sleep(retry_pause_ms);
        complete = load_settings();
        note_read(complete);
    }
    // Still held shut: this game starts as the last one did, and the frames
    // read the file a second later, and each second after, until a read is
    // whole.
    if (complete) {
        read_in_full = active_settings;
    } else {
        active_settings = read_in_full;
    }
    unread_change = !complete;
    last_check = GetTickCount();
    wait_ms = check_interval_ms;
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
    if (now - last_check < wait_ms) {
        return;
    }
    last_check = now;
    wait_ms = check_interval_ms;
    const file_stamp seen = stamp_now();
    if (seen == last_seen) {
        changing = false;
    } else {
        // Read once it has held still, not while it may still be written,
        // unless it never does.
        last_seen = seen;
        unread_change = true;
        if (!changing) {
            changing = true;
            changing_since = now;
        }
        if (now - changing_since < unbroken_change_ms) {
            wait_ms = settle_ms;
            return;
        }
        changing_since = now;
    }
    if (!unread_change) {
        return;
    }
    // Gone, perhaps only while an editor saves by renaming a new file over
    // it, or emptied by one that then writes it anew: the game goes on with
    // what was read last.
    if (!seen.present || (seen.size_high == 0 && seen.size_low == 0) ||
        !settings_file_size_allowed(settings_path)) {
        unread_change = false;
        return;
    }
    const settings_file_read read = read_settings_file(settings_path);
    note_read(read.complete);
    // Cut short, or saved again while it was read, so that the values may be
    // half the old file's and half the new one's: read it whole a second
    // later.
    if (!read.complete || !(stamp_now() == seen)) {
        return;
    }
    unread_change = false;
    tell_what_the_read_found(read, settings_path);
    read_in_full = read.settings;
    apply_during_game(read.settings);
}
