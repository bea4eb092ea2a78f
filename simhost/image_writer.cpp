#include "simhost/image_writer.hpp"

#include "simhost/image_layout.hpp"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace sim::detail {

void fatal(const char* what) {
    std::fprintf(stderr, "simulated host: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

namespace {

std::vector<std::uint8_t>& image_record() {
    static std::vector<std::uint8_t> record;
    return record;
}

void protect(std::uint32_t begin, std::uint32_t end, DWORD protection) {
    DWORD previous = 0;
    if (!VirtualProtect(host_pointer<void>(begin), end - begin, protection, &previous)) {
        fatal("cannot set the protection of the host image");
    }
}

} // namespace

void make_image_writable() {
    protect(code_begin, image_end, PAGE_EXECUTE_READWRITE);
}

void apply_host_protections() {
    protect(code_begin, code_end, PAGE_EXECUTE_READ);
    protect(globals_begin, image_end, PAGE_READWRITE);
}

void fill_code(std::uint8_t value) {
    std::memset(host_pointer<void>(code_begin), value, code_end - code_begin);
}

void put_bytes(std::uint32_t address, std::initializer_list<std::uint8_t> bytes) {
    std::memcpy(host_pointer<void>(address), bytes.begin(), bytes.size());
}

void put_rel32(std::uint32_t address, std::uint8_t opcode, const void* target) {
    const auto destination = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target));
    const std::uint32_t displacement = destination - (address + 5);
    *host_pointer<std::uint8_t>(address) = opcode;
    std::memcpy(host_pointer<void>(address + 1), &displacement, sizeof displacement);
}

void record_installed_image() {
    const auto* first = host_pointer<const std::uint8_t>(code_begin);
    image_record().assign(first, first + (image_end - code_begin));
}

bool image_recorded() {
    return !image_record().empty();
}

std::span<const std::uint8_t> installed_image() {
    return image_record();
}

void set_host_global(std::uint32_t address, std::uint32_t value) {
    std::memcpy(host_pointer<void>(address), &value, sizeof value);
    if (image_recorded()) {
        std::memcpy(image_record().data() + (address - code_begin), &value, sizeof value);
    }
}

} // namespace sim::detail
