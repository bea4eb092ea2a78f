#pragma once
// opacity = 0.1 to 1.0: how strongly the gauge covers the scene.
#include "settings/settings.hpp"

// Plain decimals only, as for scale, range-checked on the digits, with at
// most six decimals that are not zero; kept as millionths, exactly.
bool parse_opacity(const char* value, speedometer_settings& s);
