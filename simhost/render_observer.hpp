#pragma once
// Handing each render call to the test's observer, if one is set.
#include "host/types.hpp"

#include <cstdint>

namespace sim::detail {

void observe_render(std::int32_t primitive, const screen_vertex* vertices, std::int32_t count);

} // namespace sim::detail
