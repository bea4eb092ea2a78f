#include "settings/file_replacement.hpp"

#include <cwchar>

namespace {

constexpr wchar_t new_file_suffix[] = L".saving";

replacement of_error(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return replacement::disk_full;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return replacement::held_open;
    default:
        return replacement::failed;
    }
}

// Writes, flushes and closes the new file. Nothing is left of it on failure.
replacement write_new_file(const wchar_t* new_path, const unsigned char* bytes, std::size_t size,
                           DWORD& error) {
    const HANDLE file = CreateFileW(new_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return error == ERROR_ACCESS_DENIED ? replacement::folder_not_written : of_error(error);
    }
    bool written = true;
    for (std::size_t done = 0; written && done != size;) {
        DWORD wrote = 0;
        written = WriteFile(file, bytes + done, static_cast<DWORD>(size - done), &wrote, nullptr) &&
                  wrote != 0;
        done += wrote;
    }
    written = written && FlushFileBuffers(file);
    error = written ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (!written) {
        DeleteFileW(new_path);
        return of_error(error);
    }
    return replacement::done;
}

} // namespace

replacement replace_file(const wchar_t* path, const unsigned char* bytes, std::size_t size,
                         written_file_check check, void* context, DWORD& error) {
    error = ERROR_SUCCESS;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return replacement::is_a_folder;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return replacement::read_only;
    }
    wchar_t new_path[MAX_PATH + sizeof new_file_suffix / sizeof(wchar_t)];
    const std::size_t length = std::wcslen(path);
    if (length >= MAX_PATH) {
        return replacement::failed;
    }
    std::wmemcpy(new_path, path, length);
    std::wmemcpy(new_path + length, new_file_suffix, sizeof new_file_suffix / sizeof(wchar_t));

    const replacement written = write_new_file(new_path, bytes, size, error);
    if (written != replacement::done) {
        return written;
    }
    if (!check(new_path, context)) {
        DeleteFileW(new_path);
        return replacement::not_as_meant;
    }
    // One step: a reader sees the old file or the new one, never a part.
    if (MoveFileExW(new_path, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return replacement::done;
    }
    error = GetLastError();
    DeleteFileW(new_path);
    // A file open in another program without leave to delete it cannot be
    // replaced; its read-only mark was looked at above.
    return error == ERROR_ACCESS_DENIED ? replacement::held_open : of_error(error);
}
