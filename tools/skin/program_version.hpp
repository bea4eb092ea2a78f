#pragma once
// The kit's version as a program's file properties show it, commit and all,
// for --version: a bug report then names the exact build.
#include <string>

namespace skin {

// The product version of this program's own version resource ("1.3.0
// (commit 1a2b3c4d5e6f)"), or `release` when it has none.
std::string program_version(const char* release);

} // namespace skin
