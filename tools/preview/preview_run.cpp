#include "preview_run.hpp"

#include "console.hpp"
#include "dictionary_check.hpp"
#include "sheet_place.hpp"
#include "utf8_path.hpp"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <string>

namespace preview {

namespace {

// Checks one dictionary, prints its warnings (named after the file when
// there are two), and gives the refusal, empty when it can be drawn.
std::string check(const std::filesystem::path& path, bool name_the_file, std::FILE* report) {
    const dictionary_check check = check_dictionary(path, skin::utf8_text(path));
    if (!check.refusal.empty())
        return check.refusal;
    const std::string prefix = name_the_file ? skin::utf8_text(path.filename()) + ": " : "";
    for (const std::string& warning : check.warnings)
        skin::print(report, "warning: %s%s\n", prefix.c_str(), warning.c_str());
    return {};
}

std::optional<std::filesystem::path> absolute(const std::optional<std::filesystem::path>& path) {
    if (!path)
        return std::nullopt;
    return std::filesystem::absolute(*path);
}

} // namespace

int preview_once(const preview_request& request, std::optional<preview_game>& game,
                 std::FILE* report, std::FILE* errors) {
    const skin_dictionaries skin = pair_dictionaries(request.dictionaries);
    std::filesystem::path sheet =
        request.sheet ? *request.sheet : sheet_from_here(skin.skin, request.packed_from);
    // -o .\ or -o a folder that is there: the sheet goes in, under its own name.
    std::error_code not_a_folder;
    if (request.sheet &&
        (!sheet.has_filename() || std::filesystem::is_directory(sheet, not_a_folder)))
        sheet /= default_sheet(skin.skin, std::nullopt, {}).filename();
    const auto refuse = [&](const std::string& why) {
        if (!request.packed_from) {
            skin::print(errors, "refused: %s\n", why.c_str());
            return 1;
        }
        std::error_code ignored; // no sheet of an older skin beside the new dictionary
        std::filesystem::remove(sheet, ignored);
        skin::print(errors, "%s is written, but no preview sheet: %s\n",
                    skin::utf8_text(request.dictionaries.front()).c_str(), why.c_str());
        return 1;
    };
    if (!skin.refusal.empty())
        return refuse(skin.refusal);
    if (!skin.picked_up.empty())
        skin::print(report, "note: %s\n", skin.picked_up.c_str());
    const bool two = skin.kmh && skin.mph;
    for (const auto* face : {&skin.kmh, &skin.mph}) {
        // The packer has just checked what it packed and printed its warnings.
        if (!*face || (request.packed_from && std::ranges::count(request.dictionaries, **face)))
            continue;
        const std::string refusal = check(**face, two, report);
        if (!refusal.empty())
            return refuse(refusal);
    }
    if (!std::filesystem::exists(request.module))
        return refuse(skin::utf8_text(request.module) +
                      " is missing; it belongs beside speedometer_preview.exe");
    const DWORD started = GetTickCount();
    try {
        // Relative paths were given from the folder current at the start.
        skin_dictionaries staged = skin;
        staged.kmh = absolute(skin.kmh);
        staged.mph = absolute(skin.mph);
        const std::filesystem::path target = std::filesystem::absolute(sheet);
        if (!game)
            game.emplace(std::filesystem::absolute(request.module));
        const written_sheet written = game->draw(staged, target, request.first_picture);
        skin::print(report, "wrote %s: %dx%d, %zu cells in %.1f s\n",
                    skin::utf8_text(sheet).c_str(), written.width, written.height, written.cells,
                    static_cast<double>(GetTickCount() - started) / 1000.0);
    } catch (const std::exception& e) {
        return refuse(e.what());
    }
    return 0;
}

int run_preview(const preview_request& request, std::FILE* report, std::FILE* errors) {
    std::optional<preview_game> game;
    return preview_once(request, game, report, errors);
}

} // namespace preview
