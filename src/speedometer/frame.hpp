#pragma once
// The speedometer frame: dial, arc, needle, hub, status sprite and digits,
// drawn in the lower-right corner of the host's screen.
#include "host/types.hpp"

// The host's texture record of the atlas. Null until the dictionary is
// loaded, and whenever the host could not give one.
extern host_texture* speedometer_texture;

// Draws one frame, when the player is in a vehicle that gets a speedometer.
// Needs the trigonometric tables built.
void draw_speedometer();

// A length in reference pixels (a screen whose shorter side is 1080) as whole
// pixels of the host's screen.
float scale_to_screen(float reference_length);
