#pragma once
// The interface of teardown_probe.dll, a module with two events at scratch
// sites, which the teardown test loads and unloads.
#include "scratch_sites.hpp"

namespace probe {

// The scratch functions of its two events, in the order they are taken over.
inline constexpr int first_site = 30;  // an after-event
inline constexpr int second_site = 31; // a before-event

// Called by the module's handlers when they run and when they are destroyed.
using handler_note = void (*)(int handler_id);

// Adds handler 1 to the first event, then handler 2 to the second.
using add_handlers_fn = void (*)(handler_note ran, handler_note destroyed);
inline constexpr char add_handlers_name[] = "probe_add_handlers";

} // namespace probe
