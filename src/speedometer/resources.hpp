#pragma once
// The atlas dictionary: loaded when the host starts a game, released when it
// shuts the game down.
#include "host/functions.hpp"

inline constexpr const char speedometer_dictionary_path[] = "models\\speedometer.txd";
// The same atlas with the mph scale on its dial face, loaded instead with
// units = mph.
inline constexpr const char speedometer_mph_dictionary_path[] = "models\\speedometer_mph.txd";

extern host_txd_handle txd_handle;

void load_resources();    // init handler
void release_resources(); // shutdown handler
