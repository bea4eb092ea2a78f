#pragma once
// The skin name 1.2.0's packer made from a PNG's name. 1.3.0 made names
// one-to-one, which gave 110 of 421 tried names another skin name (every
// Cyrillic adjective in -ый among them): a skin maker packing again gets a
// new file, while players' settings still load the old one. The packer says
// so when the old dictionary is in the folder it writes to.
#include <string>
#include <string_view>

namespace skin {

struct earlier_skin {
    std::string name; // always a name the game takes
    bool mph = false;
};

// 1.2.0's rule: Cyrillic written in Latin letters with no hash for letters
// written alike, "mph" after a separator other than '-' (or alone) the mph
// face, no "speedometer_" taken off; a hash for other scripts, long names,
// none, mph and shipped names, over the name with ASCII and а-я folded.
earlier_skin earlier_skin_name(std::string_view stem);

} // namespace skin
