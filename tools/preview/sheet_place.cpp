#include "sheet_place.hpp"

#include "utf8_path.hpp"

namespace preview {

namespace {

bool is_models_folder(const std::filesystem::path& folder) {
    std::string name = skin::utf8_text(folder.filename());
    for (char& c : name)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return name == "models";
}

} // namespace

std::filesystem::path default_sheet(const std::string& skin,
                                    const std::optional<std::filesystem::path>& png,
                                    const std::filesystem::path& started_in) {
    std::filesystem::path folder = png ? png->parent_path() : started_in;
    // "models\" names the folder as "models" does.
    if (!folder.has_filename() && folder.has_relative_path())
        folder = folder.parent_path();
    // Never into a models folder nor anywhere below one: the sheet goes
    // beside the outermost models folder on its way.
    std::filesystem::path above;
    for (const std::filesystem::path& part : folder) {
        if (is_models_folder(part) && part.has_filename()) {
            folder = above;
            break;
        }
        above /= part;
    }
    const std::string file =
        skin.empty() ? "speedometer_preview.png" : "speedometer_" + skin + "_preview.png";
    return folder / file;
}

std::filesystem::path sheet_from_here(const std::string& skin,
                                      const std::optional<std::filesystem::path>& png) {
    std::error_code ignored; // without a current folder, the sheet goes there anyway
    const std::filesystem::path here = std::filesystem::current_path(ignored);
    if (here.empty())
        return default_sheet(skin, png, here);
    const std::filesystem::path sheet =
        default_sheet(skin, png ? std::optional(here / *png) : std::nullopt, here);
    const auto is = [&](const std::filesystem::path& folder) {
        std::error_code unknown;
        return std::filesystem::equivalent(sheet.parent_path(), folder, unknown);
    };
    if (is(here))
        return sheet.filename();
    if (is(here.parent_path()))
        return std::filesystem::path("..") / sheet.filename();
    return sheet;
}

} // namespace preview
