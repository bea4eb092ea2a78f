#include "injector/call_chain.hpp"

#include "injector/code_check.hpp"
#include "injector/instruction_step.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace injector {

namespace {

// Enough for what hooking code puts before the jump on (a counter, a flag, a
// register saved, a helper called), short enough that walking a long
// function gives up early. Helpers walked into count against it too.
constexpr int step_limit = 64;
// A helper's own calls are passed over unwalked: a chain hands the call on
// within a level or two. A helper into a long function (a system one, say)
// may use up only so many steps, and leaves the rest to the way on.
constexpr int call_depth_limit = 2;
constexpr int helper_step_limit = 16;
constexpr std::uint32_t longest_instruction = 15;

enum class memory { gone, unreadable, readable };

// A plug-in unloaded, or a trampoline freed, leaves its memory uncommitted.
memory memory_at(address_t address) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == 0 ||
        region.State != MEM_COMMIT) {
        return memory::gone;
    }
    return readable_bytes(address, 1) == 1 ? memory::readable : memory::unreadable;
}

class chain_walk {
  public:
    chain_walk(address_t site, std::span<const address_t> marks, address_t home)
        : host(image_holding(site)), marks(marks), home(home) {}

    chain_end from(address_t at, int depth);

  private:
    bool marked(address_t at) const {
        return std::find(marks.begin(), marks.end(), at) != marks.end();
    }
    bool in_host(address_t at) const { return host != 0 && image_holding(at) == host; }

    const address_t host;
    const std::span<const address_t> marks;
    const address_t home;
    int steps_left = step_limit;
};

chain_end chain_walk::from(address_t at, int depth) {
    using kind = instruction_step::kind;
    bool home_called = false;
    // Registers set by a move of an immediate, for a jump through one that
    // follows at once: any other instruction may change them.
    address_t registers[8] = {};
    std::uint8_t known = 0;
    const auto end_here = [&](chain_end::kind unfollowed) {
        if (home_called) {
            return chain_end{chain_end::kind::host, home, true};
        }
        return chain_end{unfollowed, at, false};
    };
    while (steps_left-- > 0) {
        if (marked(at)) {
            return {chain_end::kind::met, at, false};
        }
        switch (memory_at(at)) {
        case memory::gone:
            return {chain_end::kind::broken, at, false};
        case memory::unreadable: // may be a live plug-in's, whatever was called before
            return {chain_end::kind::unknown, at, false};
        case memory::readable:
            break;
        }
        if (in_host(at)) {
            return {chain_end::kind::host, at, home_called};
        }
        std::uint8_t code[longest_instruction];
        std::memset(code, 0xCC, sizeof code); // int3: stops the walk
        const std::uint32_t available = readable_bytes(at, sizeof code);
        std::memcpy(code, reinterpret_cast<const void*>(at), available);
        instruction_step step = decode_instruction(at, code, available);
        const std::uint8_t register_bit = static_cast<std::uint8_t>(1u << step.reg);
        if (step.what == kind::jump_register || step.what == kind::call_register) {
            if ((known & register_bit) == 0) {
                break;
            }
            step.to = registers[step.reg];
            step.what = step.what == kind::jump_register ? kind::jump : kind::call;
        }
        known = step.what == kind::load_register ? known | register_bit : 0;
        switch (step.what) {
        case kind::load_register:
            registers[step.reg] = step.to;
            at += step.length;
            break;
        case kind::next:
            at += step.length;
            break;
        case kind::jump:
            at = step.to;
            break;
        case kind::call:
            if (marked(step.to)) {
                return {chain_end::kind::met, step.to, false};
            }
            if (home != 0 && step.to == home) {
                home_called = true;
            } else if (!in_host(step.to) && depth < call_depth_limit) {
                const int rest = steps_left - std::min(steps_left, helper_step_limit);
                steps_left -= rest;
                const chain_end helper = from(step.to, depth + 1);
                steps_left = rest + std::max(steps_left, 0);
                if (helper.end == chain_end::kind::met || helper.end == chain_end::kind::broken) {
                    return helper; // passes the mark, or faults there, within the helper
                }
                home_called |=
                    helper.end == chain_end::kind::host && home != 0 && helper.at == home;
            }
            at += step.length;
            break;
        default:
            return end_here(chain_end::kind::unknown);
        }
    }
    return end_here(chain_end::kind::unknown);
}

} // namespace

chain_end follow_call_chain(address_t site, std::span<const address_t> marks, address_t home) {
    return follow_chain_from(site, relative_call_destination(site), marks, home);
}

chain_end follow_chain_from(address_t site, address_t from, std::span<const address_t> marks,
                            address_t home) {
    return chain_walk(site, marks, home).from(from, 0);
}

} // namespace injector
