#pragma once
// This program's global operator new, watched: it counts allocations and can
// be made to fail.
#include <cstdint>

namespace heap_watch {

std::uint64_t allocations();

// While set, every allocation throws std::bad_alloc.
void fail_allocations(bool fail);

} // namespace heap_watch
