#pragma once
// What the process holds, counted the way that works under Wine too, where
// GetProcessMemoryInfo and GetProcessHandleCount report zeros.
#include <cstddef>

// Bytes of committed private memory, summed over a walk of the address space.
std::size_t committed_private_bytes();

// Handles open in this process, found by probing handle values.
std::size_t open_handle_count();
