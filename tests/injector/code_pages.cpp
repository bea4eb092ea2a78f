#include "code_pages.hpp"

#include <cstring>
#include <windows.h>

namespace test {

namespace {

constexpr address_t host_code_begin = 0x401000;
constexpr address_t host_code_end = 0xC00000;

} // namespace

std::uint32_t protection_at(address_t address) {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info);
    return info.Protect;
}

address_t first_page_not_execute_read() {
    address_t address = host_code_begin;
    while (address < host_code_end) {
        MEMORY_BASIC_INFORMATION info{};
        if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == 0 ||
            info.Protect != PAGE_EXECUTE_READ) {
            return address;
        }
        address = reinterpret_cast<address_t>(info.BaseAddress) + info.RegionSize;
    }
    return 0;
}

void poke(address_t address, const std::vector<std::uint8_t>& bytes) {
    DWORD previous = 0;
    void* where = reinterpret_cast<void*>(address);
    VirtualProtect(where, bytes.size(), PAGE_EXECUTE_READWRITE, &previous);
    std::memcpy(where, bytes.data(), bytes.size());
    VirtualProtect(where, bytes.size(), previous, &previous);
}

std::vector<std::uint8_t> peek(address_t address, std::uint32_t size) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(address);
    return {first, first + size};
}

code_bytes_keeper::code_bytes_keeper(address_t address, std::uint32_t size)
    : address(address), original(peek(address, size)) {}

code_bytes_keeper::~code_bytes_keeper() {
    poke(address, original);
}

} // namespace test
