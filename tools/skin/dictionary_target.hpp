#pragma once
// Where a packed dictionary goes and the skin it makes: beside a dropped
// PNG, into a folder, or under a name given on the command line, which must
// be one the game loads a skin from (settings/skin_name.hpp).
#include <string>
#include <vector>

namespace skin {

struct dictionary_target {
    std::string path;               // UTF-8, as printed
    std::string skin;               // skin = NAME in speedometer.ini
    bool mph = false;               // the skin's mph face
    std::vector<std::string> notes; // lines on the name, printed once the PNG is taken
    std::string refusal;            // set when nothing may be written
};

// `output` is empty for a dropped PNG, a folder (one that exists, or ends in
// a slash or backslash) or a dictionary's path.
dictionary_target target_for(const std::string& png_path, const std::string& output);

} // namespace skin
