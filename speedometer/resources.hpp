#pragma once
// The atlas dictionary: loaded when the host starts a game, released when it
// shuts the game down.
#include "host/functions.hpp"

inline constexpr const char speedometer_dictionary_path[] = "models\\speedometer.txd";

extern host_txd_handle txd_handle;

void load_resources();    // init handler
void release_resources(); // shutdown handler
