#include "injector/code_check.hpp"

#include <windows.h>

#include <cstring>

namespace injector {

namespace {

constexpr std::uint8_t relative_call = 0xE8;
constexpr std::uint32_t relative_call_length = 5;

// Whether the process runs with DEP off. Asked by name: Windows XP before
// its third service pack has no such question, and a module that imported it
// would not load there at all. Without the question, DEP counts as on, as it
// did before the module asked.
bool data_runs_as_code() {
    using dep_policy_query = BOOL(WINAPI*)(HANDLE, LPDWORD, PBOOL);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto query = kernel != nullptr
                           ? reinterpret_cast<dep_policy_query>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "GetProcessDEPPolicy")))
                           : nullptr;
    DWORD dep = PROCESS_DEP_ENABLE;
    BOOL permanent = FALSE;
    return query != nullptr && query(GetCurrentProcess(), &dep, &permanent) &&
           (dep & PROCESS_DEP_ENABLE) == 0;
}

} // namespace

address_t image_holding(address_t address) {
    HMODULE module = nullptr;
    // Unchanged reference count: asking must not keep another plug-in loaded.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(address), &module)) {
        return 0;
    }
    return reinterpret_cast<address_t>(module);
}

bool is_executable_code(address_t address, std::uint32_t size) {
    constexpr DWORD executable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    constexpr DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY;
    // Old games often run with DEP off, and plug-ins then may run hooks from
    // memory they never marked executable: any readable page runs as code.
    const DWORD runs = data_runs_as_code() ? executable | readable : executable;
    // The range may cross regions of different protection; each must pass.
    const std::uint64_t end = static_cast<std::uint64_t>(address) + (size != 0 ? size : 1);
    std::uint64_t next = address;
    while (next < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<const void*>(static_cast<address_t>(next)), &region,
                         sizeof region) == 0) {
            return false;
        }
        if (region.State != MEM_COMMIT || (region.Protect & runs) == 0 ||
            (region.Protect & PAGE_GUARD) != 0) {
            return false;
        }
        next = reinterpret_cast<address_t>(region.BaseAddress) +
               static_cast<std::uint64_t>(region.RegionSize);
    }
    return true;
}

address_t relative_call_destination(const std::uint8_t* bytes, address_t site) {
    if (bytes[0] != relative_call) {
        return 0;
    }
    std::uint32_t displacement;
    std::memcpy(&displacement, bytes + 1, sizeof displacement);
    return static_cast<address_t>(site + relative_call_length + displacement);
}

address_t relative_call_destination(address_t site) {
    std::uint8_t bytes[relative_call_length];
    std::memcpy(bytes, reinterpret_cast<const void*>(site), sizeof bytes);
    return relative_call_destination(bytes, site);
}

} // namespace injector
