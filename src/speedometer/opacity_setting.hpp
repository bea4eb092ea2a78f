#pragma once
// opacity = 0.1 to 1.0: how strongly the gauge covers the scene.
#include "speedometer/settings.hpp"

// Plain decimals only, as for scale, range-checked on the digits; kept as
// millionths, the seventh decimal rounded half up.
bool parse_opacity(const char* value, speedometer_settings& s);
