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
    if (is_models_folder(folder))
        folder = folder.parent_path();
    const std::string file =
        skin.empty() ? "speedometer_preview.png" : "speedometer_" + skin + "_preview.png";
    return folder / file;
}

} // namespace preview
