#pragma once
// Reads and writes of host code. Each access makes exactly the bytes concerned
// PAGE_EXECUTE_READWRITE for its duration and sets their protection back; each
// write flushes the instruction cache for exactly the bytes it wrote.
#include <cstdint>

namespace injector {

using address_t = std::uintptr_t; // a 32-bit host virtual address; 0 is null

std::uint8_t read_u8(address_t address);
std::uint32_t read_u32(address_t address);
void write_bytes(address_t address, const void* source, std::uint32_t size, bool unprotect);

// Where the call or jump at address leads (E8, E9, FF 15, FF 25), else 0.
address_t branch_destination(address_t address);

// Makes the five bytes at site a relative call to target. Returns the site's
// branch destination from before the write.
address_t write_call(address_t site, address_t target);

} // namespace injector
