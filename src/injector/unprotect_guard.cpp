#include "injector/unprotect_guard.hpp"

#include <windows.h>

namespace injector {

namespace {

std::uint32_t change_count = 0;

bool change_protection(address_t address, std::uint32_t size, std::uint32_t protection,
                       std::uint32_t* previous) {
    ++change_count;
    return protect_pages(address, size, protection, previous);
}

} // namespace

bool virtual_protect(address_t address, std::uint32_t size, std::uint32_t protection,
                     std::uint32_t* previous) {
    DWORD old_protection = *previous;
    const BOOL succeeded =
        VirtualProtect(reinterpret_cast<void*>(address), size, protection, &old_protection);
    *previous = old_protection;
    return succeeded != 0;
}

page_protector protect_pages = &virtual_protect;

std::uint32_t protection_change_count() {
    return change_count;
}

unprotect_guard::unprotect_guard(address_t address, std::uint32_t size, bool wanted)
    : address(address), size(size) {
    if (wanted) {
        changed = change_protection(address, size, page_execute_readwrite, &previous_protection);
    }
}

unprotect_guard::~unprotect_guard() {
    if (changed) {
        // Whether the old protection could be set back is not looked at: the
        // access has been made either way.
        std::uint32_t scratch = previous_protection;
        change_protection(address, size, previous_protection, &scratch);
    }
}

} // namespace injector
