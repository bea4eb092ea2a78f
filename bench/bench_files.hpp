#pragma once
// Files the benchmark keeps beside its own program: the DLLs it loads and the
// dictionary the module's game start reads.
#include <cstdint>
#include <string>

// The folder of this program, ending in a path separator.
std::string bench_folder();

// The size of a file in bytes, or -1 when it cannot be read.
std::int64_t file_size(const std::string& path);

// Writes models\speedometer.txd under asset_root, which the module loads at
// game start. False when it cannot be written.
bool write_dictionary(const std::string& asset_root);
