#pragma once
// What a byte of code is, judged before the module changes it: which loaded
// image holds it, whether it may run as code, and where a relative call there
// leads. The checks change no protection.
#include "injector/protected_memory.hpp"

#include <cstdint>

namespace injector {

// The base of the loaded image (executable or DLL) that holds address, or 0.
address_t image_holding(address_t address);

// True when all size bytes from address are committed memory that may run as
// code: a loaded image's code, or code another plug-in placed in memory it
// allocated, such as a hooking library's trampoline; with DEP off for the
// process, any readable memory that is no guard page.
bool is_executable_code(address_t address, std::uint32_t size = 1);

// Where the five-byte relative call (E8) at site leads, or 0 when the byte
// there is not E8. The site must be readable.
address_t relative_call_destination(address_t site);

// The same for the five bytes of a call kept elsewhere (a backup), as if they
// stood at site.
address_t relative_call_destination(const std::uint8_t* bytes, address_t site);

} // namespace injector
