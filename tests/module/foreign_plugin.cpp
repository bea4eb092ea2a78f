// Another plug-in, as players run them beside the module: the test tells it
// which call site to take over, straight or, as many hooking libraries do,
// through a trampoline in memory it allocates; from then on it counts the
// host's passes through the site and hands each on to what the site called
// before. At its unload it writes back what it found, whatever stands there
// by then.
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
void* trampoline = nullptr;

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
        if (trampoline != nullptr) {
            VirtualFree(trampoline, 0, MEM_RELEASE);
        }
    }
} give_back;

// A relative call or jump (opcode) at from, to to.
void branch_bytes(std::uint8_t* bytes, std::uint8_t opcode, std::uint32_t from, std::uint32_t to) {
    bytes[0] = opcode;
    const std::uint32_t displacement = to - (from + 5);
    std::memcpy(bytes + 1, &displacement, 4);
}

// An executable page outside any image, holding a jump to the entry.
std::uint32_t make_trampoline() {
    trampoline = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const auto at = reinterpret_cast<std::uint32_t>(trampoline);
    branch_bytes(static_cast<std::uint8_t*>(trampoline), 0xE9, at,
                 reinterpret_cast<std::uint32_t>(&foreign_entry));
    DWORD previous = 0;
    VirtualProtect(trampoline, 4096, PAGE_EXECUTE_READ, &previous);
    return at;
}

} // namespace

extern "C" __declspec(dllexport) void foreign_take_over(std::uint32_t site,
                                                        bool through_trampoline) {
    std::memcpy(found_bytes, reinterpret_cast<const void*>(site), 5);
    std::int32_t displacement;
    std::memcpy(&displacement, found_bytes + 1, 4);
    foreign_previous = site + 5 + static_cast<std::uint32_t>(displacement);
    const std::uint32_t entry =
        through_trampoline ? make_trampoline() : reinterpret_cast<std::uint32_t>(&foreign_entry);
    std::uint8_t call[5];
    branch_bytes(call, 0xE8, site, entry);
    write_code(site, call);
    taken_site = site;
}

extern "C" __declspec(dllexport) std::uint32_t foreign_pass_count() {
    return foreign_passes;
}
