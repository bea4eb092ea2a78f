#pragma once
// Two pieces of the host's HUD text sit where the speedometer is drawn; while
// the player has a vehicle they are moved left, clear of the dial.
#include <cstdint>

// Rewrites the host's two text call sites to call the functions below.
// A site that no longer holds what the module expects is left alone and the
// log says why. Repeating it makes each site's path pass the module's
// function once again where plug-ins that left since wrote back calls that
// lead past it (injector::scoped_call::lead_through); a path that passes it
// stays as it is. The bytes the sites held before go back at unload, so the host
// never calls into a module that is gone. A call another plug-in has put
// there since stays, and what it leads to then jumps straight to what the
// site called before.
void install_text_shift();

// Stand in for the host's text functions at the two rewritten call sites:
// same arguments, same convention, the host function's result handed back.
std::uint32_t shifted_hud_text_a(float x, float y, std::uint32_t text);
std::uint32_t shifted_hud_text_b(float x, float y, std::uint32_t text);
