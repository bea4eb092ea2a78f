#include "dictionary_target.hpp"

#include "dropped_png.hpp"
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
    case skin_name_source::too_long:
        return "note: a skin's name is at most 32 characters, " + makes +
               ", six characters from its name telling it apart";
    case skin_name_source::not_a_name:
        return "note: this PNG's name leaves no skin name of its own (" +
               std::string(skin_name_rule) + "), " + makes;
    case skin_name_source::shipped:
        break;
    }
    return "warning: this PNG's name is that of a skin the game ships, or none (which means the "
           "shipped artwork), " +
           makes + "; rename the PNG to choose another name";
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
        return target;
    }
    // By the text, whatever the machine's separators: a Windows path names
    // its file after the last backslash on any system.
    const std::size_t slash = output.find_last_of("/\\");
    const std::string file = slash == std::string::npos ? output : output.substr(slash + 1);
    char name[skin_name_max + 1];
    if (!skin_of_dictionary_file(file, name, target.mph)) {
        std::string lower = file;
        for (char& c : lower)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        target.refusal = lower == "speedometer.txd" || lower == "speedometer_mph.txd"
                             ? file + " is the shipped artwork, which a skin must not replace: " +
                                   dictionary_rule()
                             : "the game loads no skin from " + file + ": " + dictionary_rule();
        return target;
    }
    target.skin = name;
    target.path = output;
    return target;
}

} // namespace skin
