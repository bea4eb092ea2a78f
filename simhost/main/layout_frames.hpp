#pragma once
#include <windows.h>

#include <string>

// A scripted drive in the layout mode: the player's settings file (comments,
// another section, CR LF line ends) is read at a new game, the layout key
// enters the mode, the arrow keys and Page Up move and scale the gauge, Enter
// saves. Writes the frame in the mode (layout_mode.png), the frame after the
// save, and the file before and after (layout_before.ini, layout_after.ini)
// into out_dir, and prints both files. False if the saved file differs from
// the old one elsewhere than in the three values, or a frame is not as the
// keys say.
bool play_layout_drive(HMODULE module, const std::string& module_path, const std::string& out_dir);
