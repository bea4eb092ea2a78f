#pragma once
// The kit's previewer, started from the packer: after a pack it draws the
// dictionary just written (with its other face when that is beside it) on a
// sheet beside the PNG; --watch hands the whole loop to it, once.
#include "command_line.hpp"

#include <string>
#include <vector>

namespace skin {

// Runs speedometer_preview.exe from this program's own folder and waits for
// it; its exit code, or 1 with a line on stderr when it cannot be started.
// Not asked for (a dropped PNG), a previewer that is not there is only noted.
// `dictionaries` are one skin's faces just packed from `png`, one or two.
// Paths UTF-8.
int launch_preview(const std::string& png, const std::vector<std::string>& dictionaries,
                   bool asked);

// The previewer packs the command's PNG and draws its sheet at each save
// until stopped: one process for the whole session, none a save.
int launch_watch(const packer_command& command);
// The previewer's arguments for that, --32bit passed on.
std::vector<std::string> watch_arguments(const packer_command& command);

// After a drop, in a window that closes with the program: asks whether to
// watch the PNG from now on; true for W, false for any other key.
bool offer_watch(const std::string& png);

} // namespace skin
