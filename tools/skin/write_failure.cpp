#include "write_failure.hpp"

#include "file_block.hpp"

namespace skin {

// The writers go through a temporary file beside the target and a rename: a
// folder that takes no new file, or a target that cannot be replaced.
std::string write_failure(const std::string& shown, const std::filesystem::path& path) {
    switch (find_file_block(path, true)) {
    case file_block::folder:
        return "cannot write " + shown +
               ": it is a folder; give a file's name in it, or the folder alone where a folder "
               "is taken";
    case file_block::read_only:
        return "cannot replace " + shown +
               ": the file is read-only; clear Read-only in its Properties, or delete it";
    case file_block::in_use:
        return "cannot replace " + shown +
               ": another program has it open (the game, or a viewer?); close it and try again";
    case file_block::no_rights:
        return "cannot replace " + shown +
               ": your account has no rights to change it (made by another user, or as "
               "administrator?); delete it or take it over in its Properties, Security, or "
               "work in a folder of your own";
    case file_block::missing:
    case file_block::none:
        break;
    }
    return "cannot write " + shown +
           ": its folder is read-only or protected (as Program Files is); work in a folder "
           "of your own, such as Documents, and copy from there";
}

std::string open_failure(const std::string& shown, const std::filesystem::path& path) {
    switch (find_file_block(path, false)) {
    case file_block::missing:
        return "cannot open " + shown + ": there is no such file; check its name and folder";
    case file_block::folder:
        return "cannot open " + shown + ": it is a folder, not a PNG";
    case file_block::in_use:
        return "cannot open " + shown +
               ": another program has it open and lets no other read it (the paint program "
               "still saving?); close it there or wait for the save to end, and try again";
    case file_block::no_rights:
        return "cannot open " + shown +
               ": your account has no rights to read it; copy it into a folder of your own";
    case file_block::read_only:
    case file_block::none:
        break;
    }
    return "cannot open " + shown +
           ": the disk refused to read it; copy it elsewhere and try again";
}

} // namespace skin
