#include "command_line.hpp"

namespace skin {

const char packer_help[] =
    "usage: speedometer_skin [--32bit] [--preview] SKIN.png [DICTIONARY.txd | FOLDER]\n"
    "  (or drop a PNG on speedometer_skin.exe)\n"
    "Packs a skin's PNG into the dictionary the speedometer loads. Dropped, or\n"
    "given no dictionary, the dictionary goes beside the PNG, named for the skin\n"
    "the PNG's name makes; given a FOLDER, into it under that name.\n"
    "A dictionary is speedometer_NAME.txd, or speedometer_NAME_mph.txd for the\n"
    "mph face, where NAME is the skin's name in speedometer.ini (skin = NAME):\n"
    "1 to 32 letters a-z, digits, _ and -, not none, not mph and not ending in _mph.\n"
    "  --32bit    write it uncompressed, to compare\n"
    "  --preview  then draw it with the previewer\n"
    "  --watch    pack SKIN.png and draw its sheet again at each save, until Esc\n"
    "  --version  the kit's version\n";

packer_command parse_command(const std::vector<std::string>& arguments) {
    packer_command command;
    command.waits_for_key = arguments.size() <= 1;
    std::size_t arg = 0;
    for (; arg < arguments.size(); ++arg) {
        const std::string& word = arguments[arg];
        if (word == "--help" || word == "/?" || word == "-h") {
            command.action = packer_action::help;
            return command;
        }
        if (word == "--version") {
            command.action = packer_action::version;
            return command;
        }
        if (word == "--32bit")
            command.request.uncompressed = true;
        else if (word == "--preview")
            command.preview = true;
        else if (word == "--watch")
            command.action = packer_action::watch;
        else
            break;
    }
    const std::size_t left = arguments.size() - arg;
    if (left == 0 || left > 2 || (command.action == packer_action::watch && left != 1)) {
        command.action = packer_action::usage;
        return command;
    }
    command.request.png_path = arguments[arg];
    if (command.action == packer_action::watch)
        return command;
    if (left == 2)
        command.request.dictionary_path = arguments[arg + 1];
    // A dropped PNG is always previewed: the sheet is what its maker wants to see.
    command.action = left == 1 ? packer_action::drop : packer_action::pack;
    command.preview = command.preview || left == 1;
    return command;
}

} // namespace skin
