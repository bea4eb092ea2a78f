#pragma once
// The layout mode: the player places the gauge in the game and saves the
// place to the settings file. With layout_key at none it reads no key and
// changes nothing.
//
// The layout key, pressed while the gauge is drawn, enters the mode. In it,
// the arrow keys move the gauge one reference pixel (ten with Shift), Page Up
// and Page Down scale it by 0.05, held keys repeat, all within the ranges the
// settings file allows; Home returns to the file's values; Enter saves and
// leaves; Esc or the layout key leaves without saving. A refused save leaves
// the mode open; a file held open by another program is tried again for two
// seconds first. The keys still reach the game.

// Called by the frame when it is about to draw the gauge: looks at the
// layout key, and in the mode at the mode's keys. The place being tried then
// shows in current_placement().
void layout_mode_frame();

// Leaves the mode without saving, when a frame draws no gauge.
void end_layout_mode();

// True while the mode is on: the gauge gets a frame around it.
bool in_layout_mode();
