#pragma once
// Direct access to the simulated host's code pages, bypassing the module's
// protected accessors, for setting up and checking code bytes in tests.
#include "injector/protected_memory.hpp"

#include <cstdint>
#include <vector>

namespace test {

using injector::address_t;

// Code pages of the simulated host that the simulator leaves unused.
inline constexpr address_t scratch_code = 0x900000;
inline constexpr std::uint32_t scratch_size = 0x2000;
inline constexpr address_t page_size = 0x1000;
inline constexpr address_t site = scratch_code + 0x100;
// Five bytes at the end of a page reach into the next.
inline constexpr address_t page_straddling_site = scratch_code + page_size - 2;

// The protection of the page holding address.
std::uint32_t protection_at(address_t address);

// The address of the first page in the host's code range whose protection is
// not PAGE_EXECUTE_READ, or 0 if there is none.
address_t first_page_not_execute_read();

void poke(address_t address, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> peek(address_t address, std::uint32_t size);

template <typename T> address_t address_of(T& object) {
    return reinterpret_cast<address_t>(&object);
}

// Puts back the bytes of a code range as they were at construction.
class code_bytes_keeper {
  public:
    code_bytes_keeper(address_t address, std::uint32_t size);
    ~code_bytes_keeper();

  private:
    address_t address;
    std::vector<std::uint8_t> original;
};

} // namespace test
