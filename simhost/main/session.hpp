#pragma once
#include <string>

// Loads the module into the simulated host, plays a session and unloads it.
// Frames go to out_dir as PNG files. Returns false if the module misbehaved.
bool run_session(const std::string& module_path, const std::string& asset_root,
                 const std::string& out_dir);
