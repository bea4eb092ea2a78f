#pragma once
// What the packer was asked to do, from its arguments: a double click, PNGs
// dropped on it, a command prompt's PNG and dictionary, or a question about
// the program itself.
#include "skin_pack.hpp"

#include <string>
#include <vector>

namespace skin {

enum class packer_action { usage, help, version, drop, pack, watch };

struct packer_command {
    packer_action action = packer_action::usage;
    pack_request request;
    // A drop's PNGs, in the order given: each is packed beside itself.
    std::vector<std::string> dropped;
    bool preview = false;
    // Explorer starts the packer with no argument (a double click) or with
    // the files dropped on it, never with an option: its window closes with
    // it unless it waits for a key.
    bool waits_for_key = false;
    // For usage: what was wrong with the arguments, empty for none given.
    std::string problem;
};

packer_command parse_command(const std::vector<std::string>& arguments);

// For --help and /?: what the packer does, in the kit readme's words.
extern const char packer_help[];

} // namespace skin
