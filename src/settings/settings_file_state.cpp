#include "settings/settings_file_state.hpp"

namespace {

std::uint64_t ticks_of(const FILETIME& time) {
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// True when the file's last-write time is more than the settle time before
// the system's clock: no save is under way, though the module never saw the
// file before (the first game) or saw it last in another stamp. The file's
// time comes from its file system's clock (a network share's server), which
// may disagree with this computer's: a file dated in the future gets no such
// trust and waits to be seen still.
bool settled_by_its_time(const file_look& look) {
    if (look.system_time == 0 || look.file.empty()) {
        return false;
    }
    constexpr std::uint64_t ticks_a_ms = 10000;
    const std::uint64_t written = ticks_of(look.file.last_write);
    return written <= look.system_time &&
           look.system_time - written > settings_file_state::settle_ms * ticks_a_ms;
}

} // namespace

// --- Looks

void settings_file_state::note_look(const file_look& look) {
    if (looked_ && look.file == last_seen_) {
        return;
    }
    looked_ = true;
    last_seen_ = look.file;
    seen_since_ = look.now;
    if (look.file.empty()) {
        folder_when_seen_empty_ = look.folder;
    }
}

// Still for the settle time by the module's own looks, or by its time; or
// it stands as it was read in full (or saved by the module), whole.
bool settings_file_state::held_still(const file_look& look) const {
    return look.now - seen_since_ >= settle_ms || settled_by_its_time(look) ||
           (has_full_read_ && !look.file.empty() && look.file == stamp_at_full_read_);
}

// --- Reads

void settings_file_state::note_read(bool complete, DWORD now) {
    tell_now_ = false;
    if (complete) {
        failing_ = false;
        failure_told_ = false;
        return;
    }
    if (!failing_) {
        failing_ = true;
        failing_since_ = now;
    }
    if (!failure_told_ && now - failing_since_ >= told_unreadable_after_ms) {
        failure_told_ = true;
        tell_now_ = true;
    }
}

void settings_file_state::note_full_read(const speedometer_settings& read,
                                         const file_stamp& stamp) {
    read_in_full_ = read;
    stamp_at_full_read_ = stamp;
    has_full_read_ = true;
    file_at_full_read_ = !stamp.empty();
}

// --- A new game

void settings_file_state::begin_new_game(const file_stamp& folder_now) {
    // A file seen gone or empty before this game may have come back and gone
    // again since, in another save: only this game's own looks tell that it
    // stayed so, unless nothing came or went in its folder since (the
    // folder's stamp unchanged), so that a deleted file does not hold up the
    // next game. After a game that gave up waiting, its last look may have
    // caught a save under way, which a later one could see again as it was.
    looked_ = looked_ && !gave_up_waiting_ &&
              (!last_seen_.empty() || folder_now == folder_when_seen_empty_);
    gave_up_waiting_ = false;
    waited_ = 0;
    waited_for_lock_ = 0;
}

// The file is read once it has held still for the settle time. Gone or
// empty, when it was there at the last read in full, it counts once it has
// stayed so for the settle time: a save may be under way.
settings_file_state::step settings_file_state::look_at_new_game(const file_look& look) {
    note_look(look);
    const bool still = held_still(look);
    if (look.file.empty()) {
        return !file_at_full_read_ || still
                   ? step::take_defaults
                   : pause_or_give_up(settle_ms - (look.now - seen_since_), false);
    }
    return still ? step::read : pause_or_give_up(settle_ms - (look.now - seen_since_), false);
}

// A read is kept only if the file did not change while it was read. A read
// cut short is tried again a few times; once the player was told the file
// cannot be read, games start at once.
settings_file_state::step settings_file_state::read_at_new_game(bool complete,
                                                                const file_look& after) {
    note_read(complete, after.now);
    if (!complete) {
        if (failure_told_ || waited_for_lock_ >= retries_for_ms) {
            return step::give_up;
        }
        return pause_or_give_up(retry_pause_ms, true);
    }
    const file_stamp before = last_seen_;
    note_look(after);
    return after.file == before ? step::read : pause_or_give_up(retry_pause_ms, false);
}

settings_file_state::step settings_file_state::pause_or_give_up(DWORD pause, bool cut_short) {
    if (waited_ + pause > new_game_wait_ms) {
        gave_up_waiting_ = true;
        return step::give_up;
    }
    pause_ = pause;
    waited_ += pause;
    waited_for_lock_ += cut_short ? pause : 0;
    return step::pause;
}

// Still held shut, or still being saved: the game starts as the last one
// did, and the frames read the file a second later, and each second after,
// until a read is whole.
void settings_file_state::end_new_game(bool kept, const speedometer_settings& read, DWORD now) {
    if (kept) {
        note_full_read(read, last_seen_);
    }
    unread_change_ = !kept;
    last_check_ = now;
    wait_ms_ = check_interval_ms;
}

// --- The frames' follower

bool settings_file_state::look_due(DWORD now) {
    if (now - last_check_ < wait_ms_) {
        return false;
    }
    last_check_ = now;
    wait_ms_ = check_interval_ms;
    return true;
}

// Read once it has held still between two looks, not while it may still be
// written, unless it never does. Gone, perhaps only while an editor saves by
// renaming a new file over it, or emptied by one that then writes it anew:
// the game goes on with what was read last.
bool settings_file_state::look_in_play(const file_look& look) {
    const bool same = looked_ && look.file == last_seen_;
    note_look(look);
    if (same) {
        changing_ = false;
    } else {
        unread_change_ = true;
        if (!changing_) {
            changing_ = true;
            changing_since_ = look.now;
        }
        if (look.now - changing_since_ < unbroken_change_ms) {
            wait_ms_ = settle_ms;
            return false;
        }
        changing_since_ = look.now;
    }
    if (!unread_change_) {
        return false;
    }
    if (look.file.empty()) {
        unread_change_ = false;
        return false;
    }
    return true;
}

// Cut short, or saved again while it was read, so that the values may be half
// the old file's and half the new one's: read it whole a second later.
bool settings_file_state::read_in_play(bool complete, const file_look& after,
                                       const speedometer_settings& read) {
    note_read(complete, after.now);
    if (!complete || !(after.file == last_seen_)) {
        return false;
    }
    unread_change_ = false;
    note_full_read(read, last_seen_);
    return true;
}

// --- The module's own save

bool settings_file_state::unchanged_since_full_read(const file_stamp& now,
                                                    const speedometer_settings& read_now) {
    if (!has_full_read_ || !(now == stamp_at_full_read_)) {
        return false;
    }
    if (read_now == read_in_full_) {
        return true;
    }
    unread_change_ = true;
    return false;
}

void settings_file_state::note_saved(const speedometer_settings& written, const file_stamp& stamp) {
    note_full_read(written, stamp);
}
