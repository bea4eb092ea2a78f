#pragma once
// The build of the host executable the module runs in, identified once from
// the entry point in the host image's headers before the first patch.
#include <cstdint>

namespace injector {

struct host_version {
    const char* name;
    std::uint8_t host_code; // one letter per host product line; 0: not recognised
    std::uint8_t region;    // 'U', 'E' or 0
    std::uint8_t major;
    std::uint8_t minor;
    std::uint8_t revision_a;
    std::uint8_t revision_b;
    std::uint8_t variant_mark; // 0x48 or 0
    std::uint8_t alt_build;    // 0 or 1
};

// The module's record, constructed and detected at the first request.
const host_version& request_host_version();

// Fills the module's record from the host image; true for a known build.
bool detect_host_version();

// The entry-point key the module's record was detected from (the entry
// point's address for an image based at 0x400000), detecting it first if need
// be.
std::uint32_t detected_entry_point_key();

// How many times detection has read the host image's headers.
std::uint32_t host_header_reads();

// Lets the next request construct and detect again.
void reset_host_version_for_testing();

} // namespace injector
