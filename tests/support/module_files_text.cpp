#include "support/module_files_text.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

std::wstring beside_module(const wchar_t* extension) {
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(path_beside_module(extension, path, MAX_PATH));
    return path;
}

std::string file_text(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool exists(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string log_text(const std::filesystem::path& path) {
    const std::string text = file_text(path);
    if (text.empty()) {
        return text;
    }
    EXPECT_TRUE(text.starts_with(log_first_line)) << text;
    return text.substr(std::min(text.size(), sizeof log_first_line - 1));
}
