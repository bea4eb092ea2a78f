// A DLL linked exactly as the module is, whose functions raise the standard
// library's exceptions on request: the test program checks that they still
// unwind, and still end the process with the run-time's usual report.
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

extern "C" {

// Raised and caught inside the DLL: unwinding works.
__declspec(dllexport) int raise_and_catch_length_error() {
    try {
        std::vector<std::uint32_t> too_many;
        too_many.reserve(too_many.max_size() + 1);
    } catch (const std::length_error&) {
        return 1;
    }
    return 0;
}

// Raised and left uncaught, as the module's own errors are.
__declspec(dllexport) void raise_allocation_error() {
    static volatile std::size_t huge = 0x7FFFFFF0;
    static void* volatile keep = ::operator new(huge);
    static_cast<void>(keep);
}

__declspec(dllexport) void raise_length_error() {
    std::vector<std::uint32_t> too_many;
    too_many.reserve(too_many.max_size() + 1);
}
}
