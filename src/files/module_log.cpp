#include "files/module_log.hpp"

#include "files/module_files.hpp"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

bool log_started = false;

// The first line of a load empties the file and starts it with the release,
// so a log a player sends says which one wrote it; every line, that one too,
// is then appended through a handle that can do nothing but append, shared
// with any other writer.
void append_to_file(const char* text, DWORD length) {
    wchar_t path[MAX_PATH];
    if (!path_beside_module(L".log", path, MAX_PATH)) {
        return;
    }
    constexpr DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (!log_started) {
        const HANDLE emptied = CreateFileW(path, GENERIC_WRITE, sharing, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (emptied == INVALID_HANDLE_VALUE) {
            return;
        }
        DWORD written = 0;
        WriteFile(emptied, log_first_line, sizeof log_first_line - 1, &written, nullptr);
        CloseHandle(emptied);
        log_started = true;
    }
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, sharing, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, text, length, &written, nullptr);
    CloseHandle(file);
}

} // namespace

void log_line(const char* format, ...) {
    // Room for the line, its line break and the terminator.
    char line[512 + 3];
    va_list arguments;
    va_start(arguments, format);
    // The C run-time's own formatter: the module carries no formatter of its own.
    int length = _vsnprintf(line, 512, format, arguments);
    va_end(arguments);
    if (length < 0 || length > 511) {
        length = 511;
        // A path in UTF-8 may run past the cut: end before the character the
        // cut falls in, not in its middle.
        while (length > 0 && (static_cast<unsigned char>(line[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    line[length] = '\r';
    line[length + 1] = '\n';
    line[length + 2] = '\0';
    append_to_file(line, static_cast<DWORD>(length + 2));

    char debug_line[sizeof line + 16];
    _snprintf(debug_line, sizeof debug_line, "speedometer: %s", line);
    debug_line[sizeof debug_line - 1] = '\0';
    OutputDebugStringA(debug_line);
}

void restart_log_for_testing() {
    log_started = false;
}
