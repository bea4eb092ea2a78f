#pragma once
// A file replaced whole, never truncated in place: the new text is written to
// a file beside the old one, flushed, checked, and moved over the old one in
// one step. Until that step the old file is as it was, byte for byte; after
// it the new one is on the disk in full.
#include <windows.h>

#include <cstddef>

enum class replacement {
    done,
    held_open,          // another program holds the file: worth a try later
    read_only,          // the file's read-only mark
    folder_not_written, // no new file could be made beside it
    is_a_folder,
    disk_full,
    not_as_meant, // the new file did not pass the check
    failed,       // another error, in error
};

// The check run on the new file before it replaces the old one.
using written_file_check = bool (*)(const wchar_t* new_file, void* context);

// Replaces the file at path (or makes it) with size bytes. The new file is
// path with ".saving" after it; it is removed again whenever the old file
// stays. error is the system's error code of a failure.
replacement replace_file(const wchar_t* path, const unsigned char* bytes, std::size_t size,
                         written_file_check check, void* context, DWORD& error);
