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
// all as a player would not notice at a loading screen; and a new game waits
// for a file being saved at most this long in all.
constexpr DWORD retry_pause_ms = 50;
constexpr DWORD retries_for_ms = 200;
constexpr DWORD new_game_wait_ms = 500;
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
// Since when the file has looked as last_seen says, as far as the looks tell.
DWORD seen_since = 0;
bool looked = false;
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
// The file was there, and not empty, at that read: gone or empty at a new
// game, it may be in the middle of a save.
bool file_at_full_read = false;
// The last new game stopped waiting for a file that kept changing.
bool gave_up_waiting = false;

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

bool empty(const file_stamp& stamp) {
    return !stamp.present || (stamp.size_high == 0 && stamp.size_low == 0);
}

// Notes how the file looked now, and since when it has looked so.
void note_seen(const file_stamp& seen, DWORD now) {
    if (!looked || !(seen == last_seen)) {
        looked = true;
        last_seen = seen;
        seen_since = now;
    }
}

file_stamp look(DWORD now) {
    const file_stamp seen = stamp_now();
    note_seen(seen, now);
    return seen;
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

// One new game's read of the file, by the rules the frames follow: the file
// is read once it has held still for the settle time, and the read is kept
// only if the file did not change while it was read. Gone or empty, when it
// was there at the last read in full, counts once it has stayed so for the
// settle time: a save may be under way. False when the wait ran out or reads
// stayed cut short.
bool read_for_new_game() {
    // A file seen gone or empty before this game may have come back and gone
    // again since, in another save: only this game's own looks tell that it
    // stayed so. So it is after a game that gave up waiting: its last look may
    // have caught a save under way, which a later one could see again as it
    // was.
    looked = looked && !empty(last_seen) && !gave_up_waiting;
    gave_up_waiting = false;
    DWORD waited = 0;
    DWORD waited_for_lock = 0;
    for (;;) {
        const DWORD now = GetTickCount();
        const file_stamp before = look(now);
        const bool held_still = now - seen_since >= settle_ms;
        bool cut_short = false;
        if (empty(before) && (!file_at_full_read || held_still)) {
            active_settings = {};
            return true;
        }
        if (!empty(before) && held_still) {
            if (!settings_file_size_allowed(settings_path)) {
                active_settings = {};
                return true;
            }
            const settings_file_read read = read_settings_file(settings_path);
            note_read(read.complete);
            if (read.complete && look(GetTickCount()) == before) {
                tell_what_the_read_found(read, settings_path);
                active_settings = read.settings;
                return true;
            }
            cut_short = !read.complete;
        }
        // Once the player was told the file cannot be read, games start at
        // once.
        if (cut_short && (failure_told || waited_for_lock >= retries_for_ms)) {
            return false;
        }
        const DWORD pause = held_still ? retry_pause_ms : settle_ms - (now - seen_since);
        if (waited + pause > new_game_wait_ms) {
            gave_up_waiting = true;
            return false;
        }
        Sleep(pause);
        waited += pause;
        waited_for_lock += cut_short ? pause : 0;
    }
}

} // namespace

void load_settings_for_new_game() {
    if (!path_known) {
        path_known = path_beside_module(L".ini", settings_path, MAX_PATH);
        to_utf8(settings_path, settings_path_utf8, sizeof settings_path_utf8);
    }
    if (!path_known) {
        active_settings = {};
        return;
    }
    const bool kept = read_for_new_game();
    // Still held shut, or still being saved: this game starts as the last one
    // did, and the frames read the file a second later, and each second
    // after, until a read is whole.
    if (kept) {
        read_in_full = active_settings;
        file_at_full_read = !empty(last_seen);
    } else {
        active_settings = read_in_full;
    }
    unread_change = !kept;
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
    const bool same = looked && seen == last_seen;
    note_seen(seen, now);
    if (same) {
        changing = false;
    } else {
        // Read once it has held still, not while it may still be written,
        // unless it never does.
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
    if (empty(seen) || !settings_file_size_allowed(settings_path)) {
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
    file_at_full_read = true;
    apply_during_game(read.settings);
}

// The save's view of the file's state, kept apart from the rest: the state's
// own owner takes this over.
namespace {

// The stamp the module's own save left, until the follower reads it back.
file_stamp saved_stamp;
bool saved_unread = false;

} // namespace

bool settings_file_unchanged_since_full_read() {
    if (!path_known || !looked) {
        return false;
    }
    const file_stamp now = stamp_now();
    return now == last_seen && (!unread_change || (saved_unread && now == saved_stamp));
}

void note_settings_file_saved(const speedometer_settings& written) {
    const DWORD now = GetTickCount();
    last_seen = stamp_now();
    saved_stamp = last_seen;
    saved_unread = true;
    looked = true;
    seen_since = now - settle_ms; // held still: a new game reads it at once
    unread_change = true;         // read back by the follower, like any change
    read_in_full = written;
    file_at_full_read = true;
}
