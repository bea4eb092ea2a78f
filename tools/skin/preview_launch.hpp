#pragma once
// The kit's previewer, started from the packer: after a pack it draws the
// dictionary just written (with its other face when that is beside it) on a
// sheet beside the PNG; --watch hands the whole loop to it, once.
#include <string>

namespace skin {

// Runs speedometer_preview.exe from this program's own folder and waits for
// it; its exit code, or 1 with a line on stderr when it cannot be started.
// Not asked for (a dropped PNG), a previewer that is not there is only noted.
// Paths UTF-8.
int launch_preview(const std::string& png, const std::string& dictionary, bool asked);

// The previewer packs `png` and draws its sheet at each save until stopped:
// one process for the whole session, none a save.
int launch_watch(const std::string& png, bool uncompressed);

// After a drop, in a window that closes with the program: asks whether to
// watch the PNG from now on; true for W, false for any other key.
bool offer_watch(const std::string& png);

} // namespace skin
