#include "preview_run.hpp"

#include "console.hpp"
#include "dictionary_check.hpp"
#include "game_folder.hpp"
#include "sheet_drawing.hpp"
#include "utf8_path.hpp"

#include "simhost/sim_host.hpp"

#include <windows.h>

#include <exception>
#include <string>

namespace preview {

namespace {

// Checks one dictionary, prints its warnings (named after the file when
// there are two), and says whether it can be drawn.
bool passes_checks(const std::filesystem::path& path, bool name_the_file, std::FILE* report,
                   std::FILE* errors) {
    const dictionary_check check = check_dictionary(path, skin::utf8_text(path));
    if (!check.refusal.empty()) {
        skin::print(errors, "refused: %s\n", check.refusal.c_str());
        return false;
    }
    const std::string prefix = name_the_file ? skin::utf8_text(path.filename()) + ": " : "";
    for (const std::string& warning : check.warnings)
        skin::print(report, "warning: %s%s\n", prefix.c_str(), warning.c_str());
    return true;
}

// The sheet is written into the game folder first and then moved, so that a
// failed run leaves no half-written picture where the skin maker looks.
void write_sheet(const sheet_picture& sheet, const std::filesystem::path& target) {
    const std::string staged = "preview_sheet.png"; // in the current (game) folder
    if (!sim::write_png(staged, sheet.width, sheet.height, sheet.pixels))
        throw std::runtime_error("cannot write the sheet");
    std::error_code ignored; // the move says whether the folder is usable
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ignored);
    const std::filesystem::path from = std::filesystem::absolute(staged);
    if (!MoveFileExW(from.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        throw std::runtime_error("cannot write " + skin::utf8_text(target) + " (error " +
                                 std::to_string(GetLastError()) + ")");
}

} // namespace

int run_preview(const preview_request& request, std::FILE* report, std::FILE* errors) {
    const bool two = request.mph.has_value();
    if (!passes_checks(request.kmh, two, report, errors) ||
        (two && !passes_checks(*request.mph, two, report, errors)))
        return 1;
    if (!std::filesystem::exists(request.module)) {
        skin::print(errors, "refused: %s is missing; it belongs beside speedometer_preview.exe\n",
                    skin::utf8_text(request.module).c_str());
        return 1;
    }
    const DWORD started = GetTickCount();
    const auto rows = sheet_rows(two);
    try {
        // Relative paths were given from the folder current at the start.
        const std::filesystem::path sheet_path = std::filesystem::absolute(request.sheet);
        const game_folder folder(request.module, request.kmh, request.mph);
        sim::install();
        sim::set_drawing_enabled(true);
        sim::set_asset_root(""); // the game folder is the current one
        // The module takes over the host's call sites as it loads, as in the game.
        const HMODULE module = LoadLibraryW(folder.module().c_str());
        if (module == nullptr)
            throw std::runtime_error("cannot load speedometer.asi (error " +
                                     std::to_string(GetLastError()) + ")");
        sheet_picture sheet;
        try {
            sheet = draw_sheet(folder, rows);
        } catch (...) {
            FreeLibrary(module);
            throw;
        }
        FreeLibrary(module);
        write_sheet(sheet, sheet_path);
        skin::print(report, "wrote %s: %dx%d, %zu cells in %.1f s\n",
                    skin::utf8_text(sheet_path).c_str(), sheet.width, sheet.height,
                    lay_out(rows).cells.size(),
                    static_cast<double>(GetTickCount() - started) / 1000.0);
    } catch (const std::exception& e) {
        skin::print(errors, "refused: %s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace preview
