#pragma once
// The module's files beside it as the tests read and write them.
#include <filesystem>
#include <string>

// The file beside the module named with extension (".log", ".ini").
std::wstring beside_module(const wchar_t* extension);

// A whole file's bytes; empty when it is missing.
std::string file_text(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& text);
bool exists(const std::filesystem::path& path);

// The log's lines below the release it starts with; empty with no log.
std::string log_text(const std::filesystem::path& path = beside_module(L".log"));
