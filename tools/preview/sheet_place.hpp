#pragma once
// Where a sheet goes when no -o names it. Never into a game's models folder:
// the game reads that folder, and a skin maker looks for pictures elsewhere.
#include <filesystem>
#include <optional>
#include <string>

namespace preview {

// speedometer_NAME_preview.png (the shipped artwork's: speedometer_preview.png)
// beside the PNG the skin was packed from, or else in the folder the command
// was started in; a models folder, or any folder below one, gives way to the
// folder the outermost models folder is in.
std::filesystem::path default_sheet(const std::string& skin,
                                    const std::optional<std::filesystem::path>& png,
                                    const std::filesystem::path& started_in);

// The same from the folder current now, where relative paths start, and
// given as a path from there (the file's name alone when it goes there).
std::filesystem::path sheet_from_here(const std::string& skin,
                                      const std::optional<std::filesystem::path>& png);

} // namespace preview
