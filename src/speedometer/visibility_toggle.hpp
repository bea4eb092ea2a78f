#pragma once
// The player's key that hides and shows the speedometer, and with it the
// shift of the host's HUD text.

// Shown again, as at the start of each game; a toggle key already down stays
// unpressed until it is let go. Call after the settings are read.
void show_speedometer();

// Called once per frame by the drawing handler: looks at the toggle key, if
// the settings name one, and flips between shown and hidden on each press
// (not on each frame the key is held) made while a window of the host's own
// process is in front. True while shown. When the settings name another key
// than the one the state belongs to, the gauge is shown again first.
bool speedometer_shown_this_frame();

// As the last frame left it; no key is looked at.
bool speedometer_hidden();
