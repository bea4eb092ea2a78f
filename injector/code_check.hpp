#pragma once
// What a byte of code is, judged before the module changes it: which loaded
// image holds it, whether that image's headers mark it executable, and where
// a relative call there leads. Reads are plain reads of mapped images, so the
// checks change no protection.
#include "injector/protected_memory.hpp"

#include <cstdint>

namespace injector {

// The base of the loaded image (executable or DLL) that holds address, or 0.
address_t image_holding(address_t address);

// True when size bytes from address lie in one section of a loaded image
// whose own headers mark it executable.
bool is_executable_code(address_t address, std::uint32_t size = 1);

// Where the five-byte relative call (E8) at site leads, or 0 when the byte
// there is not E8. The site must be readable.
address_t relative_call_destination(address_t site);

} // namespace injector
