#pragma once
// Jumps between the host's patched call sites and the module's code, in one
// page of memory the module allocates itself. A site the module patched calls
// its stub, and the stub jumps on to the module. Another plug-in that patches
// the site after the module leads to the stub too, and so may a plug-in's
// backup of the module's call once the site was given back under it; then
// the stub is turned into a jump past the module, to the host's own function
// or to what the site called before the module, and left behind, so that the
// host never runs into a module that is gone.
#include "injector/protected_memory.hpp"

namespace injector {

// Allocates the page of stubs now, unless it is there already. False when no
// memory could be had: then no site may be taken. With the page in hand,
// every site the module takes gets its stub.
bool reserve_call_stub_page();

// A stub that jumps to target, or 0 when no memory could be had for one. The
// page is allocated with the first stub unless it was reserved.
address_t acquire_call_stub(address_t target);

// The stub is no longer reached by anyone: its slot is free again, and the
// page goes back to the system with the last stub in use.
void release_call_stub(address_t stub);

// Someone else's code may still lead to the stub: from now on it jumps to
// earlier_callee, and it and its page are never freed. Every free slot of the
// page, then and later, is filled with int3, so that no jump into the module
// outlives it.
void leave_call_stub(address_t stub, address_t earlier_callee);

// A stub left behind that the site's path leads through again: from now on
// it jumps to target and is in use, but it and its page are still never
// freed, since someone else's code may still lead to it.
void revive_call_stub(address_t stub, address_t target);

} // namespace injector
