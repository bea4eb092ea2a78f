#pragma once
// The player's keys, read system-wide through the module's own key import,
// and whether a press is meant for the game.
#include <cstdint>

// True while the key (a virtual-key code) is held down.
bool key_held(std::uint8_t key);

// A key read system-wide may have been typed into a chat or browser window
// while the game draws behind it: true when a window of the host's own
// process is in front.
bool host_window_in_front();
