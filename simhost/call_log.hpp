#pragma once
// Appending to the call log from inside the simulated host.
#include "simhost/sim_host.hpp"

#include <bit>
#include <cstdint>
#include <initializer_list>

namespace sim::detail {

// Arguments and results enter the log as the raw 32-bit words the host saw.
inline std::uint32_t word(std::uint32_t value) {
    return value;
}
inline std::uint32_t word(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}
inline std::uint32_t word(float value) {
    return std::bit_cast<std::uint32_t>(value);
}
inline std::uint32_t word(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

bool call_logging_enabled();
void log_call(host_fn fn, std::initializer_list<std::uint32_t> args, std::uint32_t result);
// Keeps a copy of a render call's vertices beside the log entry.
void log_render_batch(std::int32_t primitive, std::uint32_t texture, const screen_vertex* vertices,
                      std::int32_t count);
void reset_call_log(); // cleared and logging on

} // namespace sim::detail
