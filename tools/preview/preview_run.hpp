#pragma once
// One preview: the dictionaries checked, drawn by the real module in the
// simulated host through Direct3D 9, and laid out on one sheet.
#include <cstdio>
#include <filesystem>
#include <optional>

namespace preview {

struct preview_request {
    std::filesystem::path module; // speedometer.asi
    std::filesystem::path kmh;
    std::optional<std::filesystem::path> mph;
    std::filesystem::path sheet; // the PNG written
};

// 0 when the sheet is written; otherwise 1 with one line on `errors` saying
// why and no sheet written. Warnings and what was written go to `report`.
int run_preview(const preview_request& request, std::FILE* report, std::FILE* errors);

} // namespace preview
