#pragma once
// Where a call site leads once other plug-ins have chained onto it: the call
// is followed through their code, jump by jump, until it reaches the host's
// own image or one of the addresses asked about. Run at a new game, never in
// a frame. It reads only committed, readable memory that is no guard page, so
// following a chain into a plug-in that has been unloaded since cannot fault.
// Only memory that is no longer committed counts as a plug-in gone: committed
// memory it cannot read (a page a protector guards, or that its plug-in has
// made unreadable for a moment) may hold a live plug-in, and ends the walk as
// code it cannot follow.
#include "injector/protected_memory.hpp"

#include <cstdint>
#include <span>

namespace injector {

struct chain_end {
    enum class kind : std::uint8_t {
        host,    // at the host's own code, none of the addresses met on the way
        met,     // at one of the addresses asked about
        broken,  // at memory that is not committed: a plug-in unloaded since
        unknown, // at code it cannot follow (a branch on a condition, a
                 // return, an instruction it does not know, memory it cannot
                 // read, or too long a way)
    };
    kind end = kind::unknown;
    address_t at = 0; // the address where the walk ended
    // The host's own function was reached by a call, not a jump: hooking code
    // that calls the host's function first and comes back, whether or not it
    // then goes on to more code.
    bool through_call = false;
};

// Follows the call at site (a five-byte relative call in the host's image)
// and stops at the first address that is in marks, in the host's image, or
// that it cannot follow. A call on the way to anything but the site's own
// host function (home, when known) is a helper: a call to one of the marks
// ends the walk there, else the walk goes on after it. A call to home is
// passed over too, but where nothing after it leads to a mark, the walk ends
// at home, through a call.
chain_end follow_call_chain(address_t site, std::span<const address_t> marks, address_t home = 0);

// The same from code that the call at site leads to, further down its path.
chain_end follow_chain_from(address_t site, address_t from, std::span<const address_t> marks,
                            address_t home = 0);

} // namespace injector
