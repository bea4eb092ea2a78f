#include "injector/protected_memory.hpp"

#include "injector/unprotect_guard.hpp"

#include <windows.h>

#include <cstring>

namespace injector {

namespace {

constexpr std::uint8_t relative_call = 0xE8;
constexpr std::uint8_t relative_jump = 0xE9;
constexpr std::uint8_t indirect_group = 0xFF;
constexpr std::uint8_t indirect_call_absolute = 0x15; // FF 15 [p]
constexpr std::uint8_t indirect_jump_absolute = 0x25; // FF 25 [p]
constexpr std::uint32_t relative_branch_length = 5;

std::uint32_t load_u32(address_t address) {
    std::uint32_t value;
    std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
    return value;
}

// Code changed in place must be flushed before it runs: the processor may
// still hold the old instructions.
void flush_written(address_t address, std::uint32_t size) {
    FlushInstructionCache(GetCurrentProcess(), reinterpret_cast<const void*>(address), size);
}

} // namespace

std::uint8_t read_u8(address_t address) {
    unprotect_guard guard(address, 1);
    return *reinterpret_cast<const std::uint8_t*>(address);
}

std::uint32_t read_u32(address_t address) {
    unprotect_guard guard(address, 4);
    return load_u32(address);
}

void write_bytes(address_t address, const void* source, std::uint32_t size, bool unprotect) {
    if (size == 0) {
        return;
    }
    unprotect_guard guard(address, size, unprotect);
    std::memcpy(reinterpret_cast<void*>(address), source, size);
    flush_written(address, size);
}

address_t branch_destination(address_t address) {
    const std::uint8_t opcode = read_u8(address);
    if (opcode == relative_call || opcode == relative_jump) {
        // Unsigned arithmetic wraps, so a negative displacement reaches back.
        const std::uint32_t displacement = read_u32(address + 1);
        return static_cast<std::uint32_t>(address + relative_branch_length + displacement);
    }
    if (opcode == indirect_group) {
        const std::uint8_t form = read_u8(address + 1);
        if (form == indirect_call_absolute || form == indirect_jump_absolute) {
            // The pointer lives in the host's data, which is readable as it is.
            const address_t pointer = read_u32(address + 2);
            return load_u32(pointer);
        }
    }
    return 0;
}

address_t write_call(address_t site, address_t target) {
    const address_t previous = branch_destination(site);
    {
        unprotect_guard guard(site, 1);
        *reinterpret_cast<std::uint8_t*>(site) = relative_call;
        flush_written(site, 1);
    }
    {
        const std::uint32_t displacement =
            static_cast<std::uint32_t>(target - (site + relative_branch_length));
        unprotect_guard guard(site + 1, 4);
        std::memcpy(reinterpret_cast<void*>(site + 1), &displacement, sizeof displacement);
        flush_written(site + 1, sizeof displacement);
    }
    return previous;
}

} // namespace injector
