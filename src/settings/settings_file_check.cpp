#include "settings/settings_file_check.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"

#include <windows.h>

namespace {

constexpr unsigned char byte_order_mark[] = {0xEF, 0xBB, 0xBF};

// A file too large is told once, not at every save or new game, until it is
// back within the bound.
bool size_told = false;
bool mark_told = false;

// The first bytes of the file, or 0 when it cannot be read.
DWORD read_start(const wchar_t* path, unsigned char* start, DWORD capacity) {
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD read = 0;
    if (!ReadFile(file, start, capacity, &read, nullptr)) {
        read = 0;
    }
    CloseHandle(file);
    return read;
}

} // namespace

bool settings_file_size_allowed(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        return true;
    }
    const std::uint64_t size =
        (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size <= largest_settings_file) {
        size_told = false;
        return true;
    }
    if (!size_told) {
        size_told = true;
        char path_utf8[MAX_PATH * 3];
        to_utf8(path, path_utf8, sizeof path_utf8);
        log_line("the settings file is %I64u bytes, more than the %I64u allowed, and is not read: "
                 "a new game starts with the defaults, a game under way keeps its settings (%s)",
                 size, largest_settings_file, path_utf8);
    }
    return false;
}

void warn_of_mark_before_first_section(const wchar_t* path) {
    if (mark_told) {
        return;
    }
    unsigned char start[16];
    const DWORD length = read_start(path, start, sizeof start);
    DWORD next = sizeof byte_order_mark;
    if (length < next || start[0] != byte_order_mark[0] || start[1] != byte_order_mark[1] ||
        start[2] != byte_order_mark[2]) {
        return;
    }
    while (next < length && (start[next] == ' ' || start[next] == '\t')) {
        ++next;
    }
    if (next == length || start[next] != '[') {
        return;
    }
    mark_told = true;
    char path_utf8[MAX_PATH * 3];
    to_utf8(path, path_utf8, sizeof path_utf8);
    log_line("the settings file starts with a UTF-8 byte-order mark right before its first "
             "section, which Windows may not find: save it without the mark (ANSI, or UTF-8 "
             "without BOM) or begin it with a comment line (%s)",
             path_utf8);
}

void forget_settings_file_warnings_for_testing() {
    size_told = false;
    mark_told = false;
}
