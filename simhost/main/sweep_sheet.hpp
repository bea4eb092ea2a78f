#pragma once
#include <string>

// Draws the speedometer at evenly spaced speeds from rest to the cap and lays
// the lower-right corners of those frames side by side in one picture.
// Needs the module loaded and a game started. Returns false if not written.
bool write_sweep_sheet(const std::string& path);
