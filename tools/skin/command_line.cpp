#include "command_line.hpp"

#include <utility>

namespace skin {

const char packer_help[] =
    "usage: speedometer_skin [--32bit] [--preview] [--quality] SKIN.png\n"
    "                        [DICTIONARY.txd | FOLDER]\n"
    "  (or drop PNGs on speedometer_skin.exe)\n"
    "Packs a skin's PNG into the dictionary the speedometer loads. Dropped, or\n"
    "given no dictionary, the dictionary goes beside the PNG, named for the skin\n"
    "the PNG's name makes; given a FOLDER, into it under that name; given a\n"
    "DICTIONARY, only the one the PNG's name makes (its skin and its face).\n"
    "A dictionary is speedometer_NAME.txd, or speedometer_NAME_mph.txd for the\n"
    "mph face, where NAME is the skin's name in speedometer.ini (skin = NAME):\n"
    "1 to 32 letters a-z, digits, _ and -, not none, not mph and not ending in _mph.\n"
    "PNGs dropped together (a skin's two faces, or several skins) are each packed\n"
    "beside themselves, and each skin's faces previewed together.\n"
    "  --32bit    write it uncompressed, to compare\n"
    "  --preview  then draw it with the previewer\n"
    "  --quality  print each level's PSNR against the uncompressed level\n"
    "  --watch    pack SKIN.png and draw its sheet again at each save, until Esc\n"
    "  --version  the kit's version and commit\n";

namespace {

bool is_png(const std::string& path) {
    std::string end = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    for (char& c : end)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return end == ".png";
}

packer_command usage(packer_command command, std::string problem) {
    command.action = packer_action::usage;
    command.problem = std::move(problem);
    return command;
}

} // namespace

packer_command parse_command(const std::vector<std::string>& arguments) {
    packer_command command;
    command.waits_for_key = arguments.size() <= 1; // a question in a window of its own
    std::vector<std::string> files;
    bool options = false;
    for (const std::string& word : arguments) {
        if (word == "--help" || word == "/?" || word == "-h") {
            command.action = packer_action::help;
            return command;
        }
        if (word == "--version") {
            command.action = packer_action::version;
            return command;
        }
        options = options || word.starts_with("-");
        if (word == "--32bit")
            command.request.uncompressed = true;
        else if (word == "--preview")
            command.preview = true;
        else if (word == "--quality")
            command.request.quality = true;
        else if (word == "--watch")
            command.action = packer_action::watch;
        else if (word.starts_with("-"))
            return usage(command, "unknown option " + word);
        else
            files.push_back(word);
    }
    // Explorer passes only the dropped files, however many, and of any kind:
    // a PNG with a folder, a dictionary or anything else is a drop too, and
    // its window closes with the program whatever the outcome.
    command.waits_for_key = !options;
    if (files.empty())
        return usage(command, "");
    if (command.action == packer_action::watch) {
        if (files.size() != 1)
            return usage(command, "--watch watches one PNG");
        command.request.png_path = files[0];
        return command;
    }
    if (files.size() == 2 && !is_png(files[1])) {
        command.request.png_path = files[0];
        command.request.dictionary_path = files[1];
        command.action = packer_action::pack;
        return command;
    }
    for (const std::string& file : files)
        if (files.size() > 1 && !is_png(file))
            return usage(command, file + " is not a PNG: drop PNGs only, or give one PNG and "
                                         "the dictionary or folder to write");
    // Dropped PNGs are always previewed: the sheet is what their maker wants to see.
    command.action = packer_action::drop;
    command.dropped = files;
    command.request.png_path = files[0];
    command.preview = true;
    return command;
}

} // namespace skin
