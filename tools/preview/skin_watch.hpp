#pragma once
// Watch mode: a skin's PNG packed again and its sheet drawn again each time
// the PNG is saved, in this one process, the game and the module kept loaded
// between saves.
#include <cstdio>
#include <filesystem>
#include <string>

namespace preview {

struct watch_request {
    std::filesystem::path module; // speedometer.asi
    std::string png;              // UTF-8, as given
    bool uncompressed = false;    // --32bit
    int stop_after = 0;           // saves handled, the first pack counted; 0: until stopped
};

// Packs the PNG at once and at each save after it, each once it is a whole
// PNG that stood still: a save that is refused is said, and the last good
// dictionary and sheet stay; a PNG that is not there is said once. Ends on
// Esc or Q in its console, Ctrl+C, the window closed, or after `stop_after`
// saves. The last save's status: 0 when it gave a dictionary and a sheet.
int watch_skin(const watch_request& request, std::FILE* report, std::FILE* errors);

} // namespace preview
