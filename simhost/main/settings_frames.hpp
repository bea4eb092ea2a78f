#pragma once
#include <windows.h>

#include <string>

// The settings file beside the module; removed so a session starts from the
// defaults.
void remove_settings_file(const std::string& module_path);

// Writes the settings file beside the module and starts a new game, which
// reads it. False if the file could not be written.
bool start_game_with_settings(const std::string& module_path, const char* settings);

// Plays one game each under a few settings files (miles per hour, a smaller
// gauge moved in from the corner, a toggle key pressed), writing each frame
// and the file it used side by side into out_dir, and one game in which the
// file changes, with a frame before and after. Leaves no settings file
// beside the module. Returns false if a frame was not as the settings say.
bool play_settings_frames(HMODULE module, const std::string& module_path,
                          const std::string& out_dir);
