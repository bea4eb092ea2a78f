#pragma once
// The dictionary a new game draws from: the player's skin in the player's
// units, stepping down to the shipped artwork when the host cannot load it.
#include "host/functions.hpp"
#include "host/types.hpp"
#include "settings/settings.hpp"
#include "settings/skin_name.hpp"

// models\ and the skin's dictionary file.
inline constexpr std::size_t skin_dictionary_path_capacity =
    sizeof "models\\" - 1 + skin_dictionary_file_capacity;

void make_skin_dictionary_path(char (&path)[skin_dictionary_path_capacity], const char* skin,
                               speed_units units);

struct dictionary_look {
    host_txd_handle dictionary = nullptr;
    host_texture* texture = nullptr;
};

// Units come before looks: with mph, the skin's mph dictionary, then the
// shipped mph one, and only then the shipped km/h one (active_settings.units
// becomes km/h, so the number matches the face); with km/h, the skin, then
// the shipped km/h dictionary. A skin's or the shipped mph file is handed to
// the host only once check_dictionary finds it whole; one that loads but holds
// no texture counts as one that does not load. Each step down taken writes
// one log line, saying what was wrong and what is tried next, once for as
// long as the same file keeps failing the same way. The shipped km/h
// dictionary is handed over as it always was when the check finds it whole
// (or cannot open it); a damaged one is not handed over at all. Without it,
// or when it holds no texture, the game has no gauge, and the log says why
// once each time the game runs.
dictionary_look load_dictionary_of_look();
