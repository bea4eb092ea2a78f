#pragma once
// Where a call site leads once other plug-ins have chained onto it: the call
// is followed through their code, jump by jump, until it reaches the host's
// own image or one of the addresses asked about. Run at a new game, never in
// a frame. It reads only committed, readable memory, so following a chain into
// a plug-in that has been unloaded since cannot fault: that chain is broken.
#include "injector/protected_memory.hpp"

#include <cstdint>
#include <span>

namespace injector {

struct chain_end {
    enum class kind : std::uint8_t {
        host,    // at the host's own code, none of the addresses met on the way
        met,     // at one of the addresses asked about
        broken,  // at memory that is not committed executable code
        unknown, // at code it cannot follow (a branch on a condition, a
                 // return, an instruction it does not know, or too long a way)
    };
    kind end = kind::unknown;
    address_t at = 0; // the address where the walk ended
    // A call was followed on the way: hooking code may call a helper of its
    // own, or of the host, before it goes on, so a host function reached so
    // is not proof that the path ends there.
    bool through_call = false;
};

// Follows the call at site (a five-byte relative call in the host's image)
// and stops at the first address that is in marks, in the host's image, or
// that it cannot follow.
chain_end follow_call_chain(address_t site, std::span<const address_t> marks);

// The same from code that the call at site leads to, further down its path.
chain_end follow_chain_from(address_t site, address_t from, std::span<const address_t> marks);

} // namespace injector
