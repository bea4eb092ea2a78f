#pragma once
// The module changes the host's code only where it finds what it expects
// there: in a build it does not know, the same addresses hold other code, and
// a call written over it would crash the game.
#include "injector/protected_memory.hpp"

// Checks all five call sites before any host byte changes. Each event site
// must hold a five-byte call into executable code: the host's, or another
// plug-in's that hooked the site first, in its image or in memory it
// allocated. Each HUD text site must hold a call to its host text function or
// into another plug-in. Writes one log line per site that fails; true when
// all pass.
bool host_code_is_expected();

// Checks one HUD text site again, just before it is patched. text_function is
// the host function the site calls (host_hud_text_a or host_hud_text_b).
// Writes a log line the first time a site fails.
bool text_site_is_expected(injector::address_t site, injector::address_t text_function);
