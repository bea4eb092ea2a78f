#include "dictionary_target.hpp"

#include "dropped_png.hpp"
#include "earlier_skin_name.hpp"
#include "utf8_path.hpp"

#include <system_error>

namespace skin {

namespace {

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// Why the PNG's name made the skin it did, when it is not the name as typed.
std::string name_note(const dropped_skin& skin) {
    const std::string makes =
        "so this PNG makes the skin " + quoted(skin.name) + (skin.mph ? " (its mph face)" : "");
    switch (skin.source) {
    case skin_name_source::letters:
        return "note: a skin's name is " + std::string(skin_name_rule) + ", " + makes;
    case skin_name_source::other_script:
        return "note: a skin's name holds only Latin letters (Cyrillic is written in them), " +
               makes + ", six characters from its name telling it apart";
    case skin_name_source::cyrillic_alike:
        return "note: in Latin letters ь and ъ drop out and letters such as е and э, ё and йо "
               "come out alike, " +
               makes + ", six characters from its name telling it apart";
    case skin_name_source::too_long:
        return "note: a skin's name is at most 32 characters, " + makes +
               ", six characters from its name telling it apart";
    case skin_name_source::not_a_name:
        return "note: this PNG's name leaves no skin name of its own (" +
               std::string(skin_name_rule) + "), " + makes;
    case skin_name_source::shipped:
        break;
    }
    const std::string taken = skin.name.substr(0, skin.name.find('-'));
    return (names_shipped_artwork(taken)
                ? "warning: none in speedometer.ini means the shipped artwork, "
                : "warning: " + taken +
                      " is the name of the example skin the game package ships, which a skin "
                      "must not replace, ") +
           makes + " instead; rename the PNG to give your skin a name of its own";
}

// The dictionary 1.2.0 made from this PNG's name, when it is another file
// and lies in the folder the new one goes to: players' settings still load it.
std::string earlier_dictionary_note(const std::string& png_path, const dropped_skin& made,
                                    const std::string& path) {
    const earlier_skin earlier = earlier_skin_name(utf8_text(utf8_path(png_path).stem()));
    if (earlier.name == made.name && earlier.mph == made.mph)
        return {};
    const std::string old_file = dictionary_file_name(earlier.name, earlier.mph);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(utf8_path(path).parent_path() / utf8_path(old_file),
                                          ignored))
        return {};
    return "note: " + old_file +
           " here is what 1.2.0 packed from this PNG's name; since 1.3.0 "
           "it makes " +
           dictionary_file_name(made.name, made.mph) +
           " instead, so players with skin = " + earlier.name +
           " keep the old artwork: tell them skin = " + made.name + ", or name the PNG " +
           earlier.name + (earlier.mph ? "_mph" : "") + ".png to keep the old name";
}

bool is_shipped_skin(const char* name) {
    for (const std::string_view shipped : shipped_skin_names)
        if (shipped == name)
            return true;
    return false;
}

std::string lower_ascii(std::string text) {
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

bool has_extension(const std::string& path, const char* extension) {
    return lower_ascii(path).ends_with(extension);
}

std::string dictionary_rule() {
    return "name it speedometer_NAME.txd (speedometer_NAME_mph.txd for the mph face), where NAME "
           "is the skin's name: " +
           std::string(skin_name_rule);
}

bool names_a_folder(const std::string& output) {
    std::error_code ignored;
    return output.ends_with('/') || output.ends_with('\\') ||
           std::filesystem::is_directory(utf8_path(output), ignored);
}

} // namespace

dictionary_target target_for(const std::string& png_path, const std::string& output) {
    dictionary_target target;
    if (has_extension(png_path, ".txd")) {
        target.refusal = png_path +
                         " is a dictionary already: drop it on speedometer_preview.exe to see it, "
                         "or drop its PNG here to pack it again";
        return target;
    }
    if (output.empty() || names_a_folder(output)) {
        const dropped_skin made = skin_for_png(png_path);
        target.skin = made.name;
        target.mph = made.mph;
        target.path = output.empty()
                          ? made.dictionary_path
                          : utf8_text(utf8_path(output) /
                                      utf8_path(dictionary_file_name(made.name, made.mph)));
        if (made.renamed)
            target.notes.push_back(name_note(made));
        const std::string earlier = earlier_dictionary_note(png_path, made, target.path);
        if (!earlier.empty())
            target.notes.push_back(earlier);
        return target;
    }
    // By the text, whatever the machine's separators: a Windows path names
    // its file after the last backslash on any system.
    const std::size_t slash = output.find_last_of("/\\");
    const std::string file = slash == std::string::npos ? output : output.substr(slash + 1);
    std::error_code ignored;
    if (!has_extension(file, ".txd") && std::filesystem::exists(utf8_path(output), ignored)) {
        target.refusal = output + " is neither a folder nor a dictionary (speedometer_NAME.txd); "
                                  "to pack several skins at once, drop their PNGs only";
        return target;
    }
    if (!has_extension(file, ".txd")) {
        target.refusal = "no such folder: " + output +
                         " (end it with \\ to have it made, or give a dictionary's name, "
                         "speedometer_NAME.txd)";
        return target;
    }
    char name[skin_name_max + 1];
    if (!skin_of_dictionary_file(file, name, target.mph)) {
        const std::string lower = lower_ascii(file);
        target.refusal = lower == "speedometer.txd" || lower == "speedometer_mph.txd"
                             ? file + " is the shipped artwork, which a skin must not replace: " +
                                   dictionary_rule()
                             : "the game loads no skin from " + file + ": " + dictionary_rule();
        return target;
    }
    if (is_shipped_skin(name)) {
        target.refusal = file + " is the example skin the game package ships, which a skin must "
                                "not replace: choose another NAME for speedometer_NAME.txd";
        return target;
    }
    // A dictionary named on the command line or dropped with the PNG must be
    // the one the PNG's own name makes: anything else writes one skin's
    // artwork (or one face's) over another's, with no sheet to show it.
    const dropped_skin made = skin_for_png(png_path);
    if (made.name != name || made.mph != target.mph) {
        const std::string png = utf8_text(utf8_path(png_path).filename());
        const std::string own = dictionary_file_name(made.name, made.mph);
        const std::string whose =
            made.name != name
                ? "the skin \"" + std::string(name) + "\"'s dictionary"
                : std::string("the ") + (target.mph ? "mph" : "km/h") + " face's dictionary";
        target.refusal = file + " is " + whose + ", but " + png + " makes " + own + " (skin \"" +
                         made.name + "\", its " + (made.mph ? "mph" : "km/h") +
                         " face); nothing is written: to pack into " + file + ", name the PNG " +
                         name + (target.mph ? "_mph" : "") + ".png, or give a folder to pack " +
                         own + " into";
        return target;
    }
    target.skin = name;
    target.path = output;
    return target;
}

} // namespace skin
