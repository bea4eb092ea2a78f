#include "file_block.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace skin {

#ifdef _WIN32

namespace {

file_block block_of_error(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return file_block::in_use;
    case ERROR_ACCESS_DENIED:
        return file_block::no_rights;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return file_block::missing;
    default:
        return file_block::none;
    }
}

} // namespace

file_block find_file_block(const std::filesystem::path& path, bool for_writing) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const file_block block = block_of_error(GetLastError());
        return block == file_block::none ? file_block::missing : block;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return file_block::folder;
    if (for_writing && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return file_block::read_only;
    // Replacing goes through a rename over it, which needs DELETE too.
    const HANDLE file = CreateFileW(
        path.c_str(), for_writing ? GENERIC_WRITE | DELETE : GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return block_of_error(GetLastError());
    CloseHandle(file);
    return file_block::none;
}

#else

file_block find_file_block(const std::filesystem::path& path, bool for_writing) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return error == std::errc::permission_denied ? file_block::no_rights : file_block::missing;
    if (std::filesystem::is_directory(status))
        return file_block::folder;
    return access(path.c_str(), for_writing ? W_OK : R_OK) == 0 ? file_block::none
                                                                : file_block::no_rights;
}

#endif

} // namespace skin
