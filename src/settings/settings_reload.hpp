#pragma once
// Follows the settings file while a game runs, so that a player placing the
// gauge sees each edit within about a second instead of at the next game.
// What the module has seen of the file, and the rules drawn from it, are one
// object's (settings_file_state.hpp); these are its uses.
#include "settings/settings.hpp"

// At init, in place of load_settings: reads the file by the rules the frames
// follow, and notes how the file stood, so that later edits are told apart.
// The file is read once it has held still for a quarter of a second (after
// it changed since the last look, the game waits that long; a file whose
// last-write time is more than that before the system's clock, or whose
// stamp is the one of the last read in full, has held still), and a read
// during which it changed is not kept. A file gone or empty
// that was there at the last read in full is looked at again a quarter of a
// second later before it counts: a save may be under way, unless the frames
// saw it so that long before and nothing came or went in its folder since. A read cut short
// (another program holds the file shut) is tried again for about 200 ms.
// A new game waits at most 500 ms in all; after that it starts with the
// settings last read in full (the defaults in the first game) and the frames
// read the file a second later. Once reads have failed for 10 s the log says
// so, once, and new games no longer wait for a file held shut until a read
// works again.
void load_settings_for_new_game();

// Called by the drawing handler every frame. At most once a second it looks
// at the file's last-write time and size, without opening it or allocating;
// when they changed, or the file came or went, it looks again a quarter of a
// second later, and reads the file once they have held still between two
// looks, by the same rules as at init: an edit shows within about 1.3 s. A
// file that changes at every look for 3 s (saved again and again) is read
// anyway.
// Size, place, toggle key and opacity, and with them the HUD text shift
// amount, apply from the next frame. units, skin and hud_text_shift need
// the dictionary or the text sites set up by init, so they wait for the next
// game, and the log says so once. A file that is gone or empty keeps the
// settings last read, as does one over 64 KB. A read that was cut short, or
// during which the file was saved again, is thrown away, logs nothing, and
// is made again a second later.
void follow_settings_file();

// For the module's own save of the settings file, with what it reads as
// now: true when the file's stamp (last-write time and size) is the one it
// had at the last read in full and it reads as it did then, so that a save
// never overwrites a player's edit made since. An edit that kept the stamp
// is read by the frames within a second, as one that changed it.
bool settings_file_unchanged_since_full_read(const speedometer_settings& read_now);
// After the module itself replaced the file with one that holds
// `written`: that is now the last read in full, at the file's stamp now.
// Nothing is logged, no "takes effect" line, and the next game does not
// wait for the file; the follower reads it back like any change.
void note_settings_file_saved(const speedometer_settings& written);
