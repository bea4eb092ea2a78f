#pragma once
// Where the simulated host's headers, code and globals lie in its address
// space. The code and globals live in the .hostimg section of host_image.s.
#include <cstddef>
#include <cstdint>

extern "C" char sim_host_image[];

namespace sim::detail {

inline constexpr std::uint32_t header_base = 0x400000;
inline constexpr std::uint32_t code_begin = 0x401000;
inline constexpr std::uint32_t code_end = 0xC00000;
inline constexpr std::uint32_t globals_begin = 0xC00000;
inline constexpr std::uint32_t image_end = 0xD00000;

template <class T> T* host_pointer(std::uint32_t address) {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}

inline bool inside(std::uint32_t address, std::size_t size, std::uint32_t begin,
                   std::uint32_t end) {
    return address >= begin && address <= end && size <= end - address;
}

// Prints the reason and ends the process: a host image that cannot be set up
// makes every later result meaningless.
[[noreturn]] void fatal(const char* what);

} // namespace sim::detail
