#pragma once
// The module's three host events. Each is an empty object; its state is made
// by its first add.
#include "events/host_event.hpp"
#include "host/addresses.hpp"

// After the host's initialisation call: the place to load resources.
inline host_event<host_address::init_call_site, handler_position::after> init_event;

// After the host's per-frame call: the place to draw over the frame.
inline host_event<host_address::draw_call_site, handler_position::after> draw_event;

// Before the host's shutdown call: the place to release resources.
inline host_event<host_address::shutdown_call_site, handler_position::before> shutdown_event;

// Makes the draw and shutdown sites lead through the module once again where
// other plug-ins, leaving, wrote back calls that lead past it (see
// scoped_call::lead_through): without this, the gauge or its release would be
// gone for the rest of the module's life. Run at each new game, never in a
// frame. The init site is not among them: given back, it no longer leads to
// the module, so no init handler runs to take it again.
inline void take_given_back_sites_again() {
    draw_event.take_site_again();
    shutdown_event.take_site_again();
}
