#pragma once
// The host's texture dictionaries: loaded from files under the asset root,
// handed out as handles, released by handle.
#include "host/types.hpp"

namespace sim::detail {

void* load_dictionary(const char* path);   // null when missing or unreadable
host_texture* first_texture(void* handle); // null for a null or unknown handle
bool release_dictionary(void* handle);     // false for an unknown handle

} // namespace sim::detail
