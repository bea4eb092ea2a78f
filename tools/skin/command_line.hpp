#pragma once
// What the packer was asked to do, from its arguments: a double click, a
// dropped PNG, a command prompt's PNG and dictionary, or a question about
// the program itself.
#include "skin_pack.hpp"

#include <string>
#include <vector>

namespace skin {

enum class packer_action { usage, help, version, drop, pack, watch };

struct packer_command {
    packer_action action = packer_action::usage;
    pack_request request;
    bool preview = false;
    // Explorer starts the packer with no argument (a double click) or one (a
    // dropped file): its window closes with it unless it waits for a key.
    bool waits_for_key = false;
};

packer_command parse_command(const std::vector<std::string>& arguments);

// For --help and /?: what the packer does, in the kit readme's words.
extern const char packer_help[];

} // namespace skin
