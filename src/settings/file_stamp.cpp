#include "settings/file_stamp.hpp"

file_stamp stamp_of(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        return {};
    }
    return {true, data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow};
}
