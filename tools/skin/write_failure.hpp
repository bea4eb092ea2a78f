#pragma once
// Why a file the kit writes (a dictionary, a preview sheet) could not be
// written, told in what the skin maker can change, with no error numbers.
#include <filesystem>
#include <string>

namespace skin {

// "cannot write SHOWN: ..." for a file at path that could not be written or
// replaced: a read-only or protected folder, a read-only file, or a file
// another program holds open, one the account has no rights to, a folder.
std::string write_failure(const std::string& shown, const std::filesystem::path& path);
// "cannot open SHOWN: ..." for a file that could not be opened for reading.
std::string open_failure(const std::string& shown, const std::filesystem::path& path);

} // namespace skin
