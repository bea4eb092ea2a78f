#pragma once
// Follows the settings file while a game runs, so that a player placing the
// gauge sees each edit within about a second instead of at the next game.

// At init, in place of load_settings: reads the file as each new game does
// and notes how the file stood, so that later edits are told apart.
void load_settings_for_new_game();

// Called by the drawing handler every frame. At most once a second it looks
// at the file's last-write time and size, without opening it or allocating;
// only when they changed, or the file came or went, is it read again, by the
// same rules as at init. Size, place and toggle key, and with them the HUD
// text shift amount, apply from the next frame; the toggle state is kept
// unless the key changed; so does opacity. units, skin and hud_text_shift
// need the dictionary or the text sites set up by init, so they wait for the
// next game, and the log says so once. A file that is gone or empty keeps the
// settings last read, as does one over 64 KB; one saved again while it was
// read is read again a second later.
void follow_settings_file();
