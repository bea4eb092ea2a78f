// Another plug-in, as players run them beside the module: the test tells it
// which call site to take over; from then on it counts the host's passes
// through the site and hands each on to what the site called before. At its
// unload it writes back what it found, whatever stands there by then.
#include <windows.h>

#include <cstdint>
#include <cstring>

extern "C" {
std::uint32_t foreign_passes = 0;
std::uint32_t foreign_previous = 0;
void foreign_entry();
}

// Counts and jumps on: the previous callee gets the host's own stack, so this
// fits a site of any signature.
asm(".text\n"
    "_foreign_entry:\n"
    "    incl _foreign_passes\n"
    "    jmp *_foreign_previous\n");

namespace {

std::uint32_t taken_site = 0;
std::uint8_t found_bytes[5];

void write_code(std::uint32_t site, const std::uint8_t* bytes) {
    auto* code = reinterpret_cast<void*>(site);
    DWORD previous = 0;
    VirtualProtect(code, 5, PAGE_EXECUTE_READWRITE, &previous);
    std::memcpy(code, bytes, 5);
    VirtualProtect(code, 5, previous, &previous);
    FlushInstructionCache(GetCurrentProcess(), code, 5);
}

struct give_back_at_unload {
    ~give_back_at_unload() {
        if (taken_site != 0) {
            write_code(taken_site, found_bytes);
        }
    }
} give_back;

} // namespace

extern "C" __declspec(dllexport) void foreign_take_over(std::uint32_t site) {
    std::memcpy(found_bytes, reinterpret_cast<const void*>(site), 5);
    std::int32_t displacement;
    std::memcpy(&displacement, found_bytes + 1, 4);
    foreign_previous = site + 5 + static_cast<std::uint32_t>(displacement);
    std::uint8_t call[5] = {0xE8};
    const std::uint32_t to_entry = reinterpret_cast<std::uint32_t>(&foreign_entry) - (site + 5);
    std::memcpy(call + 1, &to_entry, 4);
    write_code(site, call);
    taken_site = site;
}

extern "C" __declspec(dllexport) std::uint32_t foreign_pass_count() {
    return foreign_passes;
}
