#include "settings/settings_reload.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "settings/file_stamp.hpp"
#include "settings/settings.hpp"
#include "settings/settings_file_check.hpp"
#include "settings/settings_file_state.hpp"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

// Found once, at the first init: the frames then only read it. The log names
// it in UTF-8.
wchar_t settings_path[MAX_PATH];
char settings_path_utf8[MAX_PATH * 3];
bool path_known = false;
// The folder that holds it: deleting, renaming or creating the file changes
// the folder's last-write time.
wchar_t folder_path[MAX_PATH];

settings_file_state file_state;

// What the file asked for last of the settings that wait for the next game,
// so that each such request is logged once, not at every save.
speed_units units_asked = speed_units::kmh;
bool text_shift_asked = true;
char skin_asked[skin_name_max + 1] = {};

// A look at the file now, its folder's stamp with it while it is gone or
// empty; at a new game with the system's clock, to judge the file's time by.
file_look look_now(bool with_system_time = false) {
    file_look look;
    look.file = stamp_of(settings_path);
    if (look.file.empty()) {
        look.folder = stamp_of(folder_path);
    }
    look.now = GetTickCount();
    if (with_system_time) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        look.system_time = static_cast<std::uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    }
    return look;
}

// The look after a read: only a complete read needs the stamp checked.
file_look look_after(const settings_file_read& read) {
    if (read.complete) {
        return look_now();
    }
    file_look look;
    look.now = GetTickCount();
    return look;
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

// Once an episode of reads cut short has lasted long, the player is told.
void tell_if_unreadable() {
    if (!file_state.tell_unreadable_now()) {
        return;
    }
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

// One new game's read of the file, by the rules of the file's state. True
// when the game takes what it read (or the defaults); false when the wait ran
// out or reads stayed cut short.
bool read_for_new_game(speedometer_settings& read_now) {
    file_state.begin_new_game(stamp_of(folder_path));
    settings_file_state::step step = file_state.look_at_new_game(look_now(true));
    for (;;) {
        switch (step) {
        case settings_file_state::step::take_defaults:
            read_now = {};
            return true;
        case settings_file_state::step::give_up:
            return false;
        case settings_file_state::step::pause:
            Sleep(file_state.pause_ms());
            step = file_state.look_at_new_game(look_now(true));
            break;
        case settings_file_state::step::read: {
            if (!settings_file_size_allowed(settings_path)) {
                read_now = {};
                return true;
            }
            const settings_file_read read = read_settings_file(settings_path);
            step = file_state.read_at_new_game(read.complete, look_after(read));
            tell_if_unreadable();
            // Read again: the stamp held across the read.
            if (step == settings_file_state::step::read) {
                tell_what_the_read_found(read, settings_path);
                read_now = read.settings;
                return true;
            }
            break;
        }
        }
    }
}

} // namespace

void load_settings_for_new_game() {
    if (!path_known) {
        path_known = path_beside_module(L".ini", settings_path, MAX_PATH);
        to_utf8(settings_path, settings_path_utf8, sizeof settings_path_utf8);
        std::memcpy(folder_path, settings_path, sizeof folder_path);
        if (wchar_t* name = std::wcsrchr(folder_path, L'\\')) {
            *name = L'\0';
        }
    }
    if (!path_known) {
        active_settings = {};
        return;
    }
    speedometer_settings read;
    const bool kept = read_for_new_game(read);
    file_state.end_new_game(kept, read, GetTickCount());
    active_settings = file_state.settings_for_new_game();
    units_asked = active_settings.units;
    text_shift_asked = active_settings.hud_text_shift;
    std::strcpy(skin_asked, active_settings.skin);
}

void follow_settings_file() {
    if (!path_known || !file_state.look_due(GetTickCount()) ||
        !file_state.look_in_play(look_now())) {
        return;
    }
    if (!settings_file_size_allowed(settings_path)) {
        file_state.not_to_be_read();
        return;
    }
    const settings_file_read read = read_settings_file(settings_path);
    const bool whole = file_state.read_in_play(read.complete, look_after(read), read.settings);
    tell_if_unreadable();
    if (!whole) {
        return;
    }
    tell_what_the_read_found(read, settings_path);
    apply_during_game(read.settings);
}

bool settings_file_unchanged_since_full_read(const speedometer_settings& read_now) {
    return path_known && file_state.unchanged_since_full_read(stamp_of(settings_path), read_now);
}

void note_settings_file_saved(const speedometer_settings& written) {
    if (path_known) {
        file_state.note_saved(written, stamp_of(settings_path));
    }
}
