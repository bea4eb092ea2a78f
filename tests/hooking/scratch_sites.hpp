#pragma once
// Call sites that the tests write into code pages the simulated host leaves
// unused, so that every test can take a site of its own over.
//
// Scratch function n, at function_at(n), calls its callee the way a host does
// that keeps only 4-byte stack alignment, and returns the callee's result:
//   push ebp; mov ebp, esp; and esp, -16; sub esp, 4
//   call callee                      <- the call site, at call_at(n)
//   mov esp, ebp; pop ebp; ret
#include "injector/protected_memory.hpp"

#include <cstdint>
#include <vector>

namespace scratch {

using injector::address_t;
using bytes = std::vector<std::uint8_t>;

inline constexpr address_t first_function = 0x900000;
inline constexpr address_t function_stride = 0x20;
inline constexpr address_t call_offset = 9;

constexpr address_t function_at(int n) {
    return first_function + n * function_stride;
}
constexpr address_t call_at(int n) {
    return function_at(n) + call_offset;
}

// E8 and the displacement from site to target.
bytes call_bytes(address_t site, address_t target);

// Writes scratch function n with a call to callee.
void write_function(int n, address_t callee);

// Replaces the call instruction of scratch function n by another instruction;
// one shorter than five bytes is padded with int3.
void write_site(int n, const bytes& instruction);

// Where the call at site ends up: the stub it calls jumps on to there.
address_t final_destination(address_t site);

// Runs scratch function n as the host runs its code.
std::uint32_t run(int n);

bytes read(address_t address, std::uint32_t size);

template <typename F> address_t address_of(F* function) {
    return reinterpret_cast<address_t>(function);
}

// Callees with a settable result that count their calls and leave an 'o' in
// the trace.
struct callee_log {
    std::uint32_t calls = 0;
    std::uint32_t result = 0;
};
inline callee_log first_log;
inline callee_log second_log;
void* first_callee();
void* second_callee();

} // namespace scratch
