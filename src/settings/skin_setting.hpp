#pragma once
// skin = NAME: the artwork a player chose, as a name that becomes part of a
// file name in the host's models folder.
#include "settings/settings.hpp"

// For the player, in the log line of a refused name: the rule of
// skin_name.hpp, in the readmes' words.
inline constexpr const char skin_names_allowed[] =
    "none, or 1 to 32 letters a-z, digits, _ and -, not mph and not ending in _mph";

// Takes "none" (any case) for the shipped artwork, or a name is_skin_name
// takes (settings/skin_name.hpp), stored in lower case.
bool parse_skin(const char* value, speedometer_settings& s);
