// Another plug-in, as players run them beside the module: the test tells it
// which call site to take over, straight or, as many hooking libraries do,
// through a trampoline in memory it allocates; from then on it counts the
// host's passes through the site and hands each on to what the site called
// before. At its unload it writes back what it found, whatever stands there
// by then; or, as careless plug-ins do, only where its own call still stands.
// Its trampoline takes one of the shapes hooking code comes in.
#include <windows.h>

#include <cstdint>
#include <cstring>

extern "C" {
std::uint32_t foreign_passes = 0;
std::uint32_t foreign_previous = 0;
std::uint32_t foreign_helper_calls = 0;
void foreign_entry();
void foreign_helper();
}

// Counts and jumps on: the previous callee gets the host's own stack, so this
// fits a site of any signature.
asm(".text\n"
    "_foreign_entry:\n"
    "    incl _foreign_passes\n"
    "    jmp *_foreign_previous\n"
    "_foreign_helper:\n"
    "    incl _foreign_helper_calls\n"
    "    ret\n");

namespace {

std::uint32_t taken_site = 0;
std::uint8_t found_bytes[5];
std::uint8_t own_call[5];
bool writes_back_only_its_own = false;
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
        if (taken_site != 0 &&
            (!writes_back_only_its_own ||
             std::memcmp(reinterpret_cast<const void*>(taken_site), own_call, 5) == 0)) {
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

// The shapes of the trampoline's way to the entry; they match the fixture's.
enum shape : int { jump, jump_register, helper_first, host_first };

// A page outside any image, with the protection asked, that leads to the entry
// in the shape asked.
std::uint32_t make_trampoline(int way, std::uint32_t host_function, DWORD protection) {
    trampoline = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    auto* code = static_cast<std::uint8_t*>(trampoline);
    const auto at = reinterpret_cast<std::uint32_t>(trampoline);
    const auto entry = reinterpret_cast<std::uint32_t>(&foreign_entry);
    if (way == jump_register) { // mov eax, entry; jmp eax
        code[0] = 0xB8, code[5] = 0xFF, code[6] = 0xE0;
        std::memcpy(code + 1, &entry, 4);
    } else if (way == jump) {
        branch_bytes(code, 0xE9, at, entry);
    } else { // a call first, then the jump
        const auto helper = reinterpret_cast<std::uint32_t>(&foreign_helper);
        branch_bytes(code, 0xE8, at, way == host_first ? host_function : helper);
        branch_bytes(code + 5, 0xE9, at + 5, entry);
    }
    DWORD previous = 0;
    VirtualProtect(trampoline, 4096, protection, &previous);
    FlushInstructionCache(GetCurrentProcess(), trampoline, 4096);
    return at;
}

} // namespace

// way: a shape, or -1 for a call straight to the entry.
extern "C" __declspec(dllexport) void foreign_take_over_shaped(std::uint32_t site, int way,
                                                               bool only_its_own,
                                                               std::uint32_t host_function,
                                                               std::uint32_t protection) {
    std::memcpy(found_bytes, reinterpret_cast<const void*>(site), 5);
    std::int32_t displacement;
    std::memcpy(&displacement, found_bytes + 1, 4);
    foreign_previous = site + 5 + static_cast<std::uint32_t>(displacement);
    const std::uint32_t entry = way >= 0 ? make_trampoline(way, host_function, protection)
                                         : reinterpret_cast<std::uint32_t>(&foreign_entry);
    branch_bytes(own_call, 0xE8, site, entry);
    write_code(site, own_call);
    writes_back_only_its_own = only_its_own;
    taken_site = site;
}

extern "C" __declspec(dllexport) void foreign_take_over(std::uint32_t site,
                                                        bool through_trampoline) {
    foreign_take_over_shaped(site, through_trampoline ? jump : -1, false, 0, PAGE_EXECUTE_READ);
}

extern "C" __declspec(dllexport) std::uint32_t foreign_pass_count() {
    return foreign_passes;
}
