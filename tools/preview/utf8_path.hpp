#pragma once
// Paths in messages: UTF-8, whatever characters the folders are named in.
#include <filesystem>
#include <string>

namespace preview {

inline std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

} // namespace preview
