#pragma once
#include <string>

// Loads the module into the simulated host, plays a session in the game
// folder (its models folder holds the dictionaries; it becomes the current
// folder, as a game's own is) and unloads it. Frames go to out_dir as PNG
// files. Returns false if the module misbehaved.
bool run_session(const std::string& module_path, const std::string& game_folder,
                 const std::string& out_dir);
