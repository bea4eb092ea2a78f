#include "simhost/file_version.hpp"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace sim {

namespace {

std::string string_value(const std::vector<char>& block, const char* name) {
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return {};
    }
    return std::string(value, length - 1);
}

} // namespace

file_version_info read_file_version(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return {};
    }
    file_version_info info;
    info.product_version = string_value(block, "ProductVersion");
    info.file_version = string_value(block, "FileVersion");
    info.product_name = string_value(block, "ProductName");
    info.description = string_value(block, "FileDescription");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) &&
        length >= sizeof *fixed) {
        char text[48];
        std::snprintf(text, sizeof text, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                      LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
        info.fixed_version = text;
    }
    return info;
}

} // namespace sim
