#include "dropped_png.hpp"

#include "settings/settings.hpp"
#include "utf8_path.hpp"

namespace skin {

namespace {

constexpr std::string_view mph_suffix = "_mph";

bool ends_in_mph(const std::string& name) {
    return name.size() > mph_suffix.size() && name.ends_with(mph_suffix);
}

// Byte by byte: every byte of a multi-byte UTF-8 character is outside ASCII,
// so a letter of another script becomes a separator, never half a letter.
std::string allowed_characters(const std::string& stem) {
    std::string name;
    bool separator_pending = false;
    for (const char c : stem) {
        const bool lower = c >= 'a' && c <= 'z', upper = c >= 'A' && c <= 'Z';
        if (lower || upper || (c >= '0' && c <= '9') || c == '_' || c == '-') {
            if (separator_pending && !name.empty())
                name += '_';
            separator_pending = false;
            name += upper ? static_cast<char>(c - 'A' + 'a') : c;
        } else {
            separator_pending = true;
        }
    }
    return name;
}

} // namespace

dropped_skin skin_for_png(const std::string& png_path) {
    const std::filesystem::path png = utf8_path(png_path);
    const std::string stem = utf8_text(png.stem());
    dropped_skin skin;
    skin.name = allowed_characters(stem);
    if (ends_in_mph(skin.name)) {
        skin.mph = true;
        skin.name.resize(skin.name.size() - mph_suffix.size());
    }
    if (skin.name.size() > skin_name_max)
        skin.name.resize(skin_name_max);
    while (ends_in_mph(skin.name))
        skin.name.resize(skin.name.size() - mph_suffix.size());
    if (skin.name.empty() || skin.name == "mph")
        skin.name = "skin";
    skin.renamed = skin.name + (skin.mph ? "_mph" : "") != stem;
    const std::string file = "speedometer_" + skin.name + (skin.mph ? "_mph" : "") + ".txd";
    skin.dictionary_path = utf8_text(png.parent_path() / utf8_path(file));
    return skin;
}

} // namespace skin
