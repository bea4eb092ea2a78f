#include "files/module_log.hpp"

#include "files/module_files.hpp"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

bool log_started = false;

void append_to_file(const char* text, DWORD length) {
    char path[MAX_PATH];
    if (!path_beside_module(".log", path, sizeof path)) {
        return;
    }
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    log_started ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    log_started = true;
    SetFilePointer(file, 0, nullptr, FILE_END);
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
