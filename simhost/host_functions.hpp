#pragma once
// The simulator's implementations of the host's functions, reached through
// jumps at the host's addresses.
namespace sim::detail {

void write_host_function_jumps(); // install time
const void* render_state_function();

} // namespace sim::detail
