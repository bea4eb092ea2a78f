#pragma once
// A PNG dropped on the packer: its dictionary goes beside it, named for the
// skin the PNG's own name makes (settings/skin_name.hpp has the rule).
#include "settings/skin_name.hpp"

#include <string>

namespace skin {

struct dropped_skin {
    std::string name;     // a name the settings file takes: skin = NAME
    bool mph = false;     // the PNG's name ended in _mph: the skin's mph face
    bool renamed = false; // the PNG's name had to change to make `name`
    skin_name_source source = skin_name_source::letters;
    std::string dictionary_path; // UTF-8: speedometer_NAME[_mph].txd beside the PNG
};

// The skin a PNG's name makes, and its dictionary beside the PNG.
dropped_skin skin_for_png(const std::string& png_path);

// The dictionary's file name, speedometer_NAME[_mph].txd.
std::string dictionary_file_name(const std::string& name, bool mph);

} // namespace skin
