#include "files/module_files.hpp"

#include <windows.h>

#include <cwchar>

bool module_path(wchar_t* path, std::size_t capacity) {
    HMODULE module = nullptr;
    // Whatever module this code is linked into: the plug-in for players, the
    // test program in tests.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&module_path), &module)) {
        return false;
    }
    const DWORD length = GetModuleFileNameW(module, path, static_cast<DWORD>(capacity));
    return length != 0 && length < capacity;
}

bool path_beside_module(const wchar_t* extension, wchar_t* path, std::size_t capacity) {
    wchar_t own[MAX_PATH];
    if (!module_path(own, MAX_PATH)) {
        return false;
    }
    const std::size_t length = std::wcslen(own);
    // The extension replaces the one after the last dot of the file name, or
    // is appended when the name has none.
    std::size_t stem = length;
    for (std::size_t i = length; i-- > 0;) {
        if (own[i] == L'\\' || own[i] == L'/') {
            break;
        }
        if (own[i] == L'.') {
            stem = i;
            break;
        }
    }
    const std::size_t extension_length = std::wcslen(extension);
    if (stem + extension_length + 1 > capacity) {
        return false;
    }
    std::wmemcpy(path, own, stem);
    std::wmemcpy(path + stem, extension, extension_length + 1);
    return true;
}

void to_utf8(const wchar_t* text, char* utf8, std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    // Too long for the room: shortened one character at a time, so that no
    // character is cut in half.
    int length = static_cast<int>(std::wcslen(text));
    int written = 0;
    while (length > 0 &&
           (written = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8,
                                          static_cast<int>(capacity - 1), nullptr, nullptr)) == 0) {
        --length;
    }
    utf8[written] = '\0';
}
