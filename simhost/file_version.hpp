#pragma once
// The release a module file carries in its version resource, as Windows' file
// properties show it.
#include <string>

namespace sim {

// The resource's product version and whether its fixed part (the numbers
// Windows compares) says the same; empty when the file has no resource.
struct file_version_info {
    std::string product_version; // "MAJOR.MINOR.PATCH"
    std::string file_version;
    std::string product_name;
    std::string description;
    std::string fixed_version; // from the fixed part, "MAJOR.MINOR.PATCH"
};

file_version_info read_file_version(const std::string& path);

} // namespace sim
