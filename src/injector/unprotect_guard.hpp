#pragma once
// The protection change around every access to host code: for its lifetime it
// makes exactly the bytes concerned PAGE_EXECUTE_READWRITE, and on leaving the
// scope it sets back what they had, if the change went through.
#include "injector/protected_memory.hpp"

#include <cstdint>

namespace injector {

inline constexpr std::uint32_t page_execute_readwrite = 0x40;

// A page protection change with the platform's contract: (address, size, new
// protection, receives the old one), true on success.
using page_protector = bool (*)(address_t address, std::uint32_t size, std::uint32_t protection,
                                std::uint32_t* previous);

// VirtualProtect.
bool virtual_protect(address_t address, std::uint32_t size, std::uint32_t protection,
                     std::uint32_t* previous);

// Every protection change goes through this pointer, so that tests can watch
// the changes or make them fail. It is VirtualProtect in the module.
extern page_protector protect_pages;

// How many protection changes have been asked for since the process started,
// in both directions.
std::uint32_t protection_change_count();

class unprotect_guard {
  public:
    // With wanted false nothing is changed and nothing will be undone.
    unprotect_guard(address_t address, std::uint32_t size, bool wanted = true);
    ~unprotect_guard();

    unprotect_guard(const unprotect_guard&) = delete;
    unprotect_guard& operator=(const unprotect_guard&) = delete;

  private:
    address_t address;
    std::uint32_t size;
    std::uint32_t previous_protection = 0;
    bool changed = false;
};

} // namespace injector
