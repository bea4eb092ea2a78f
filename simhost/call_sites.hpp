#pragma once
// The host's call sites the module takes over: three event sites that call
// the host's original callees, and two HUD text sites.
namespace sim::detail {

void write_call_sites(); // install time
void reset_callees();    // results and counts back to 0

} // namespace sim::detail
