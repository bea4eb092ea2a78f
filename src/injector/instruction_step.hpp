#pragma once
// One instruction of another plug-in's hooking code, as the call walk
// (injector/call_chain.hpp) needs it: how long it is and where the way goes
// on. Only what hooking code puts on the way to the code it hands the call to
// is known; anything else stops the walk, which is always the safe answer.
#include "injector/protected_memory.hpp"

#include <cstdint>

namespace injector {

struct instruction_step {
    enum class kind : std::uint8_t {
        next,          // falls through after length bytes
        jump,          // goes on at to
        call,          // calls to, and may come back after length bytes
        jump_register, // goes on at the address in register reg
        call_register, // calls the address in register reg
        load_register, // register reg = to, then falls through
        stop,          // cannot be followed
    };
    kind what = kind::stop;
    std::uint32_t length = 0;
    address_t to = 0;
    std::uint8_t reg = 0;
};

// Decodes the instruction at address, whose first available bytes are code.
// A pointer that a jump or call through memory reads is read only where the
// memory is committed and readable, and never from a guard page: touching one
// would raise its exception in the game's thread.
instruction_step decode_instruction(address_t address, const std::uint8_t* code,
                                    std::uint32_t available);

// How many of the want bytes from address lie in committed, readable memory
// that is no guard page.
std::uint32_t readable_bytes(address_t address, std::uint32_t want);

} // namespace injector
