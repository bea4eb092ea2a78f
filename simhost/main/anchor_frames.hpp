#pragma once
#include <string>

// Frames on wide screens under `anchor`: 5120x1440 with the gauge at the
// corner of the centred 16:9 area, and 3440x1440 (21:9) with the same anchor,
// marked where the game's HUD text stands with its shift on and off. Each
// picture has its settings file beside it. Returns false if the gauge or the
// text is not where the settings put them.
bool play_anchor_frames(const std::string& module_path, const std::string& out_dir);
