#include "files/header_reads.hpp"

#include <windows.h>

namespace {

// Whatever another program does with the file meanwhile (an editor holding it
// open, a save replacing it), the look into it goes ahead.
constexpr DWORD any_sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

header_reads::header_reads(const char* path) {
    take(CreateFileA(path, GENERIC_READ, any_sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr));
}

header_reads::header_reads(const wchar_t* path) {
    take(CreateFileW(path, GENERIC_READ, any_sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr));
}

void header_reads::take(void* file) {
    file_ = file;
    if (file_ == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        missing_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return;
    }
    LARGE_INTEGER size;
    if (GetFileSizeEx(file_, &size)) {
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    } else {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
}

header_reads::~header_reads() {
    if (opened()) {
        CloseHandle(file_);
    }
}

bool header_reads::opened() const {
    return file_ != INVALID_HANDLE_VALUE;
}

bool header_reads::read(std::uint32_t offset, void* bytes, std::uint32_t count) const {
    // Offsets stay below 2 GB: callers bound the files they look into.
    DWORD got = 0;
    return offset <= 0x7FFFFFFF &&
           SetFilePointer(file_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset &&
           ReadFile(file_, bytes, count, &got, nullptr) && got == count;
}
