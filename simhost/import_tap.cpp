#include "simhost/import_tap.hpp"

#include <cstring>

namespace {

template <class T> T* at(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

void* replace_slot(ULONG_PTR* slot, void* replacement) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    void* previous = reinterpret_cast<void*>(*slot);
    *slot = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(slot, sizeof *slot, old, &old);
    return previous;
}

} // namespace

void* tap_import(HMODULE module, const std::string& dll, const std::string& function,
                 void* replacement) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    auto* nt = at<IMAGE_NT_HEADERS32>(module, dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* desc = at<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); desc->Name != 0;
         ++desc) {
        if (lstrcmpiA(at<char>(module, desc->Name), dll.c_str()) != 0) {
            continue;
        }
        auto* names = at<IMAGE_THUNK_DATA32>(module, desc->OriginalFirstThunk);
        auto* slots = at<ULONG_PTR>(module, desc->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData != 0; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL32(names[i].u1.Ordinal)) {
                continue;
            }
            auto* by_name = at<IMAGE_IMPORT_BY_NAME>(module, names[i].u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function.c_str()) == 0) {
                return replace_slot(&slots[i], replacement);
            }
        }
    }
    return nullptr;
}

void* tap_export(HMODULE dll, const std::string& function, void* replacement) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(dll);
    auto* nt = at<IMAGE_NT_HEADERS32>(dll, dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) {
        return nullptr;
    }
    auto* exports = at<IMAGE_EXPORT_DIRECTORY>(dll, dir.VirtualAddress);
    auto* names = at<DWORD>(dll, exports->AddressOfNames);
    auto* ordinals = at<WORD>(dll, exports->AddressOfNameOrdinals);
    auto* functions = at<DWORD>(dll, exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (std::strcmp(at<char>(dll, names[i]), function.c_str()) != 0) {
            continue;
        }
        DWORD* slot = &functions[ordinals[i]];
        void* previous = reinterpret_cast<void*>(GetProcAddress(dll, function.c_str()));
        // An address relative to the image, wrapping around for one below it.
        const DWORD relative = reinterpret_cast<DWORD>(replacement) - reinterpret_cast<DWORD>(dll);
        DWORD old = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
        *slot = relative;
        VirtualProtect(slot, sizeof *slot, old, &old);
        return previous;
    }
    return nullptr;
}
