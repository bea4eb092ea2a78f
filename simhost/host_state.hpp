#pragma once
// The simulated host's own state that its functions read: the player's
// vehicle, what the text functions return, the selected texture and the
// globals the module reads.
#include <cstdint>

namespace sim::detail {

void* current_vehicle(); // null while the player is on foot
std::uint32_t hud_text_result();
void select_texture(std::uint32_t render_id);
std::uint32_t texture_selection();

void write_host_globals(); // screen size, engine pointer; install time
void reset_host_state();

} // namespace sim::detail
