#include "png_save.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace preview {

namespace {

constexpr unsigned char png_signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// An empty IEND chunk: length, type and CRC.
constexpr unsigned char png_end[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

bool read_at(HANDLE file, std::uint64_t offset, unsigned char* bytes, DWORD count) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           ReadFile(file, bytes, count, &read, nullptr) && read == count;
}

} // namespace

png_look look_at(const std::filesystem::path& png, const png_look& before) {
    png_look look;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(png.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return look;
    look.present = true;
    look.written = std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
                   data.ftLastWriteTime.dwLowDateTime;
    look.size = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    if (before.present && before.written == look.written && before.size == look.size)
        return before;
    // Shared every way, so that the paint program's writing is never in the way.
    const HANDLE file = CreateFileW(png.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return look;
    // An empty file, or one that starts as a PNG does, is a save under way
    // until its end chunk is there; any other file is whole as it is, and
    // the packer says what it is.
    unsigned char start[sizeof png_signature], end[sizeof png_end];
    const DWORD head = static_cast<DWORD>(std::min<std::uint64_t>(look.size, sizeof start));
    const bool as_png =
        read_at(file, 0, start, head) && std::equal(start, start + head, png_signature);
    look.whole = !as_png ? head > 0
                         : look.size >= sizeof start + sizeof end &&
                               read_at(file, look.size - sizeof end, end, sizeof end) &&
                               std::memcmp(end, png_end, sizeof end) == 0;
    CloseHandle(file);
    return look;
}

save_step png_save_watch::look(const png_look& now) {
    if (!now.present) {
        last_ = now;
        if (said_missing_)
            return save_step::wait;
        said_missing_ = true;
        return save_step::say_missing;
    }
    ever_seen_ = true;
    said_missing_ = false;
    if (now != last_) {
        last_ = now;
        still_looks_ = 0;
        return save_step::wait;
    }
    ++still_looks_;
    if (taken_ == now)
        return save_step::wait;
    if (!now.whole) {
        if (still_looks_ < unfinished_looks || said_unfinished_)
            return save_step::wait;
        said_unfinished_ = true;
        return save_step::say_still_unfinished;
    }
    taken_ = now;
    said_unfinished_ = false;
    return save_step::take;
}

} // namespace preview
