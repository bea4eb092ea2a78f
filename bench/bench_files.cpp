#include "bench_files.hpp"

#include "assets/texture_dictionary.hpp"

#include <windows.h>

std::string bench_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t separator = folder.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : folder.substr(0, separator + 1);
}

std::int64_t file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) {
        return -1;
    }
    return static_cast<std::int64_t>(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow;
}

// The atlas's content does not change the cost of loading or drawing it.
bool write_dictionary(const std::string& asset_root) {
    CreateDirectoryA(asset_root.c_str(), nullptr);
    CreateDirectoryA((asset_root + "models").c_str(), nullptr);
    txd::texture_image atlas;
    atlas.name = "speedometer";
    atlas.width = 1024;
    atlas.height = 512;
    atlas.rgba.assign(static_cast<std::size_t>(atlas.width) * atlas.height * 4, 0xFF);
    return txd::write_file(asset_root + "models\\speedometer.txd", {atlas});
}
