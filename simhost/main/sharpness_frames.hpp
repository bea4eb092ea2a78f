#pragma once
#include <string>

// Draws the gauge on the screens players have, at the sizes the atlas must
// stay sharp for: a cruising frame each into out_dir, and for measuring the
// dial face, a frame at rest and the same frame without the gauge into
// out_dir/sharpness/ (see tools/atlas/face_sharpness.cpp). Leaves no settings
// file beside the module. False if a frame could not be written.
bool play_sharpness_frames(const std::string& module_path, const std::string& out_dir);
