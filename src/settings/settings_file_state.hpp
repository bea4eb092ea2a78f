#pragma once
// Everything the module has seen of its settings file, and the rules that
// decide from it when the file is read and what a read is worth: the looks
// at its stamp, the settle time, the stamp check after a read, the last read
// in full, and the episode of reads cut short. The new-game read, the frames'
// follower and the module's own save all go through one such object, so a
// new rule about the file goes here, beside the others.
//
// It looks at nothing itself: each call is handed what was seen and when, on
// the module's clock (GetTickCount, unsigned, so differences stay right when
// the count wraps), and answers what to do next. The caller opens, reads and
// logs.
#include "settings/file_stamp.hpp"
#include "settings/settings.hpp"

#include <windows.h>

#include <cstdint>

// One look at the file.
struct file_look {
    file_stamp file;
    // The folder's stamp, looked at only while the file is gone or empty:
    // deleting, renaming or creating the file changes it.
    file_stamp folder;
    DWORD now = 0; // the module's clock
    // The system's clock, in file-time units (100 ns since 1601), looked at
    // only by a new game; 0: not looked at.
    std::uint64_t system_time = 0;
};

class settings_file_state {
  public:
    // A changed file is read once its stamp has held still this long: an
    // editor that saves in pieces is then, most likely, done.
    static constexpr DWORD settle_ms = 250;
    // The frames look at the file this often.
    static constexpr DWORD check_interval_ms = 1000;
    // At a new game, a read cut short is tried again this often, for as long
    // in all as a player would not notice at a loading screen; and a new game
    // waits for a file being saved at most this long in all.
    static constexpr DWORD retry_pause_ms = 50;
    static constexpr DWORD retries_for_ms = 200;
    static constexpr DWORD new_game_wait_ms = 500;
    // A file saved again and again (an autosave, a sync client) never holds
    // still for the settle time: after this long it is read anyway, and a
    // read that raced a save is thrown away by the stamp check after it.
    static constexpr DWORD unbroken_change_ms = 3000;
    // Reads cut short for this long are told to the player, once an episode.
    static constexpr DWORD told_unreadable_after_ms = 10000;

    // What a new game does next.
    enum class step {
        take_defaults, // the file is gone or empty, for good as far as can be told
        read,          // read it now
        pause,         // sleep for pause_ms(), then look again
        give_up,       // start with the last read in full
    };

    // --- A new game's read. begin, then look, and after each read
    // read_at_new_game, until the step is no pause; then end.
    void begin_new_game(const file_stamp& folder_now);
    step look_at_new_game(const file_look& look);
    // The read's outcome, and the look after it: kept only when complete and
    // the stamp did not change while it was read.
    step read_at_new_game(bool complete, const file_look& after);
    DWORD pause_ms() const { return pause_; }
    // kept: the game took what was read (or the defaults) in full; the
    // settings it starts with are settings_for_new_game().
    void end_new_game(bool kept, const speedometer_settings& read, DWORD now);
    const speedometer_settings& settings_for_new_game() const { return read_in_full_; }

    // --- The frames' follower. A look is due at most once a check interval,
    // and a quarter of a second after a change was seen.
    bool look_due(DWORD now);
    // True when the file is to be read now. A file over the size allowed is
    // then not read: not_to_be_read.
    bool look_in_play(const file_look& look);
    void not_to_be_read() { unread_change_ = false; }
    // True when the read is to be applied: complete, and the stamp after it
    // the one before.
    bool read_in_play(bool complete, const file_look& after, const speedometer_settings& read);

    // --- Reads cut short. True once an episode, when the player is to be
    // told that the file could not be read for long. A read counted here is
    // not counted by the calls above again.
    bool tell_unreadable_now() const { return tell_now_; }

    // --- The module's own save.
    // True when the file's stamp now is the one it had at the last read in
    // full and it reads now as it read then: nobody edited it since. On a
    // file system with coarse times an edit within one tick that keeps the
    // size keeps the stamp too; only the read tells it, and the follower,
    // which goes by the stamp, is then set to read the file at its next look.
    bool unchanged_since_full_read(const file_stamp& now, const speedometer_settings& read_now);
    // The file now holds written, at stamp: that is the last read in full.
    // The looks are left as they were, so the follower sees the change and
    // reads the file back; a new game takes the stamp as held still.
    void note_saved(const speedometer_settings& written, const file_stamp& stamp);

  private:
    void note_look(const file_look& look);
    bool held_still(const file_look& look) const;
    step pause_or_give_up(DWORD pause, bool cut_short);
    void note_read(bool complete, DWORD now);
    void note_full_read(const speedometer_settings& read, const file_stamp& stamp);

    // The looks: how the file looked last, since when, and the folder's
    // stamp when it was first seen gone or empty as it is.
    file_stamp last_seen_;
    DWORD seen_since_ = 0;
    bool looked_ = false;
    file_stamp folder_when_seen_empty_;

    // The last read in full, the wait-for-the-next-game settings included:
    // what a new game starts with when its own read fails. The stamp it was
    // read at, and whether the file was there and not empty then (gone or
    // empty at a new game, it may be in the middle of a save).
    speedometer_settings read_in_full_;
    file_stamp stamp_at_full_read_;
    bool has_full_read_ = false;
    bool file_at_full_read_ = false;

    // A new game under way: how long it has waited, for a changing file and
    // for reads cut short; and whether the last one gave up waiting.
    DWORD waited_ = 0;
    DWORD waited_for_lock_ = 0;
    DWORD pause_ = 0;
    bool gave_up_waiting_ = false;

    // The follower: when it looked last, how long to the next look, whether
    // a change (or a read cut short) is still unread, and since when the
    // stamp has changed at every look, while it does.
    DWORD last_check_ = 0;
    DWORD wait_ms_ = check_interval_ms;
    bool unread_change_ = false;
    bool changing_ = false;
    DWORD changing_since_ = 0;

    // The episode of reads cut short: since when, and whether the player was
    // told, after which new games no longer wait for the file.
    bool failing_ = false;
    DWORD failing_since_ = 0;
    bool failure_told_ = false;
    bool tell_now_ = false;
};
