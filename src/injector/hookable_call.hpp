#pragma once
// Which host instructions the hooking layer may take over.
#include "injector/protected_memory.hpp"

namespace injector {

// True when the instruction at site is a five-byte relative call with a known
// destination. Only such a call can be replaced by a call to a thunk that
// returns to the instruction after it, and later be given back: a jump would
// not return there, a six-byte indirect call would leave its last byte to run
// as code, and an unknown instruction has no callee to run.
bool is_hookable_call(address_t site);

} // namespace injector
