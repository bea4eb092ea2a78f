// Comparing the host's code with the image as installed, and the one header
// field that tells host builds apart.
#include "simhost/image_layout.hpp"
#include "simhost/image_writer.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace sim {
namespace {

constexpr std::uint32_t page_size = 0x1000;

const std::uint8_t* installed_at(std::uint32_t address) {
    return detail::installed_image().data() + (address - detail::code_begin);
}

bool page_changed(std::uint32_t page) {
    return std::memcmp(detail::host_pointer<const void>(page), installed_at(page), page_size) != 0;
}

void write_code(std::uint32_t address, const std::uint8_t* bytes, std::size_t size) {
    void* target = detail::host_pointer<void>(address);
    DWORD previous = 0;
    if (!VirtualProtect(target, size, PAGE_EXECUTE_READWRITE, &previous)) {
        detail::fatal("cannot make host code writable");
    }
    std::memcpy(target, bytes, size);
    VirtualProtect(target, size, previous, &previous);
    FlushInstructionCache(GetCurrentProcess(), target, size);
}

} // namespace

std::vector<std::uint8_t> snapshot(std::uint32_t address, std::size_t size) {
    install();
    if (!detail::inside(address, size, detail::code_begin, detail::image_end)) {
        throw std::out_of_range("snapshot outside the host image");
    }
    const std::uint8_t* first = installed_at(address);
    return {first, first + size};
}

std::vector<std::uint32_t> changed_code_bytes() {
    install();
    std::vector<std::uint32_t> changed;
    for (std::uint32_t page = detail::code_begin; page < detail::code_end; page += page_size) {
        if (!page_changed(page)) {
            continue;
        }
        const auto* live = detail::host_pointer<const std::uint8_t>(page);
        const std::uint8_t* installed = installed_at(page);
        for (std::uint32_t i = 0; i < page_size; ++i) {
            if (live[i] != installed[i]) {
                changed.push_back(page + i);
            }
        }
    }
    return changed;
}

void restore_code() {
    install();
    for (std::uint32_t page = detail::code_begin; page < detail::code_end; page += page_size) {
        if (page_changed(page)) {
            write_code(page, installed_at(page), page_size);
        }
    }
}

void set_entry_point(std::uint32_t address_of_entry_point) {
    install();
    constexpr std::uint32_t pe_header_offset = 0x3C;
    constexpr std::uint32_t entry_point_offset = 0x28;
    const std::uint32_t header = detail::header_base + *detail::host_pointer<const std::uint32_t>(
                                                           detail::header_base + pe_header_offset);
    void* field = detail::host_pointer<void>(header + entry_point_offset);
    DWORD previous = 0;
    if (!VirtualProtect(field, sizeof address_of_entry_point, PAGE_READWRITE, &previous)) {
        detail::fatal("cannot make the host's header writable");
    }
    std::memcpy(field, &address_of_entry_point, sizeof address_of_entry_point);
    VirtualProtect(field, sizeof address_of_entry_point, previous, &previous);
}

} // namespace sim
