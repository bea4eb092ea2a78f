#pragma once
// The dictionary a new game draws from: the player's skin in the player's
// units, stepping down to the shipped artwork when the host cannot load it.
#include "host/functions.hpp"
#include "settings/settings.hpp"

// models\speedometer_NAME.txd, or models\speedometer_NAME_mph.txd.
inline constexpr std::size_t skin_dictionary_path_capacity =
    sizeof "models\\speedometer_" - 1 + skin_name_max + sizeof "_mph.txd";

void make_skin_dictionary_path(char (&path)[skin_dictionary_path_capacity], const char* skin,
                               speed_units units);

// Units come before looks: with mph, the skin's mph dictionary, then the
// shipped mph one, and only then the shipped km/h one (active_settings.units
// becomes km/h, so the number matches the face); with km/h, the skin, then
// the shipped km/h dictionary. Each step down taken writes one log line,
// once for as long as the same file keeps failing. Null only when not even
// the shipped km/h dictionary loads.
host_txd_handle load_dictionary_of_look();
