#pragma once
// Paths are carried as UTF-8 text from the command line to the messages; a
// file is opened through the path made from it, which on Windows is the
// wide path, so a folder in any script opens.
#include <filesystem>
#include <string>
#include <string_view>

namespace skin {

inline std::filesystem::path utf8_path(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8_text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

} // namespace skin
