#pragma once
// skin = NAME: the artwork a player chose, as a name that becomes part of a
// file name in the host's models folder.
#include "settings/settings.hpp"

// For the player, in the log line of a refused name.
inline constexpr const char skin_names_allowed[] =
    "none, or 1 to 32 letters, digits, _ and -, not mph nor ending in _mph";

// Takes "none" (any case) for the shipped artwork, or a name of 1 to 32
// letters, digits, '_' and '-', stored in lower case. Anything that could
// name a file outside the models folder (a dot, a slash, a colon, a space)
// is refused, and so is a name that would load a shipped dictionary instead
// of a skin: "mph", or one ending in "_mph", which is a skin's mph face.
bool parse_skin(const char* value, speedometer_settings& s);
