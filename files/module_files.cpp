#include "files/module_files.hpp"

#include <windows.h>

#include <cstring>

bool path_beside_module(const char* extension, char* path, std::size_t capacity) {
    HMODULE module = nullptr;
    // Whatever module this code is linked into: the plug-in for players, the
    // test program in tests.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&path_beside_module), &module)) {
        return false;
    }
    char own[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    // The extension replaces the one after the last dot of the file name, or
    // is appended when the name has none.
    std::size_t stem = length;
    for (std::size_t i = length; i-- > 0;) {
        if (own[i] == '\\' || own[i] == '/') {
            break;
        }
        if (own[i] == '.') {
            stem = i;
            break;
        }
    }
    const std::size_t extension_length = std::strlen(extension);
    if (stem + extension_length + 1 > capacity) {
        return false;
    }
    std::memcpy(path, own, stem);
    std::memcpy(path + stem, extension, extension_length + 1);
    return true;
}
