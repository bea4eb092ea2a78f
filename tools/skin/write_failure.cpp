#include "write_failure.hpp"

namespace skin {

// The writers go through a temporary file beside the target and a rename: a
// folder that takes no new file, or a target that cannot be replaced.
std::string write_failure(const std::string& shown, const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        return "cannot write " + shown +
               ": its folder is read-only or protected (as Program Files is); work in a folder "
               "of your own, such as Documents, and copy from there";
    if ((status.permissions() & std::filesystem::perms::owner_write) ==
        std::filesystem::perms::none)
        return "cannot replace " + shown +
               ": the file is read-only; clear Read-only in its Properties, or delete it";
    return "cannot replace " + shown +
           ": another program has it open (the game, or a viewer?); close it and try again";
}

} // namespace skin
