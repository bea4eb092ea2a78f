#include "injector/code_check.hpp"

#include <windows.h>

#include <cstring>

namespace injector {

namespace {

constexpr std::uint8_t relative_call = 0xE8;
constexpr std::uint32_t relative_call_length = 5;

const IMAGE_NT_HEADERS32* headers_of(address_t image) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
        return nullptr;
    }
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
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
    const address_t image = image_holding(address);
    if (image == 0) {
        return false;
    }
    const IMAGE_NT_HEADERS32* nt = headers_of(image);
    if (nt == nullptr) {
        return false;
    }
    const std::uint32_t offset = address - image;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const std::uint32_t begin = section->VirtualAddress;
        const std::uint32_t length = section->Misc.VirtualSize;
        if (offset >= begin && offset - begin < length) {
            return (section->Characteristics & IMAGE_SCN_MEM_EXECUTE) != 0 &&
                   size <= length - (offset - begin);
        }
    }
    return false;
}

address_t relative_call_destination(address_t site) {
    std::uint8_t bytes[relative_call_length];
    std::memcpy(bytes, reinterpret_cast<const void*>(site), sizeof bytes);
    if (bytes[0] != relative_call) {
        return 0;
    }
    std::uint32_t displacement;
    std::memcpy(&displacement, bytes + 1, sizeof displacement);
    return static_cast<address_t>(site + relative_call_length + displacement);
}

} // namespace injector
