#pragma once
// --preview: after packing, the kit's previewer draws the dictionary just
// written (with its km/h or mph sibling when there is one) on a sheet beside it.
#include <filesystem>

namespace skin {

// Runs speedometer_preview.exe from this program's own folder and waits for
// it; its exit code, or 1 with a line on stderr when it cannot be started.
// Not asked for (a dropped PNG), a previewer that is not there is only noted.
int launch_preview(const std::filesystem::path& dictionary, bool asked);

} // namespace skin
