#pragma once
// A PNG dropped on the packer: its dictionary goes beside it, named for the
// skin the PNG's own name makes.
#include <string>

namespace skin {

struct dropped_skin {
    std::string name;            // a name the settings file takes: skin = NAME
    bool mph = false;            // the PNG's name ended in _mph: the skin's mph face
    bool renamed = false;        // the PNG's name had to change to make `name`
    std::string dictionary_path; // UTF-8: speedometer_NAME[_mph].txd beside the PNG
};

// The skin a PNG's name makes: lower case; each run of anything but letters,
// digits, `_` and `-` (spaces, dots, letters of other scripts) one `_`, none
// at either end; a final `_mph` marks the mph face; at most 32 characters;
// `skin` when nothing is left or only `mph` (which the module reserves).
dropped_skin skin_for_png(const std::string& png_path);

} // namespace skin
