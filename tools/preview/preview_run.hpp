#pragma once
// One preview: the dictionaries paired by name and checked, drawn by the real
// module in the simulated host through Direct3D 9, and laid out on one sheet.
#include "preview_game.hpp"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

namespace preview {

struct preview_request {
    std::filesystem::path module;                    // speedometer.asi
    std::vector<std::filesystem::path> dictionaries; // as given, in any order
    std::optional<std::filesystem::path> sheet;      // -o; else beside the PNG or here
    // The PNG the first dictionary was packed from just before: its warnings
    // are printed already, and its sheet goes beside it.
    std::optional<std::filesystem::path> packed_from;
    // The sheet written once its first row is drawn too (watch mode).
    bool first_picture = false;
};

// 0 when the sheet is written; otherwise 1 with one line on `errors` saying
// why and, after a pack, which part worked, and no sheet there (an older one
// is removed after a pack: it would show an older skin). Warnings and what
// was written go to `report`. `game` is started at the first sheet drawn and
// kept for the next.
int preview_once(const preview_request& request, std::optional<preview_game>& game,
                 std::FILE* report, std::FILE* errors);

int run_preview(const preview_request& request, std::FILE* report, std::FILE* errors);

} // namespace preview
