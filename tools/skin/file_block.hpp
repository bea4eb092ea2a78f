#pragma once
// What keeps the kit from reading or replacing a file, found by trying to
// open it as the reader or writer would: the words a skin maker gets name
// the cause they can change, never a guess.
#include <filesystem>

namespace skin {

enum class file_block {
    none,      // it opens: the trouble is elsewhere (its folder, the disk)
    missing,   // no such file, or no such folder on its way
    folder,    // a folder by that name
    in_use,    // another program holds it open without sharing it
    no_rights, // the user's account may not read or change it
    read_only, // its Read-only attribute is set (writing only)
};

file_block find_file_block(const std::filesystem::path& path, bool for_writing);

} // namespace skin
