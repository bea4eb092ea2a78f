#include "injector/host_version.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <array>
#include <cstring>
#include <windows.h>

namespace injector {

namespace {

// PE image layout.
constexpr std::uint32_t pe_header_offset_field = 0x3C;
constexpr std::uint32_t address_of_entry_point_field = 0x28;

// A byte there that is a jump marks one variant of the line 3 builds.
constexpr std::uint8_t variant_jump_opcode = 0xE9;
constexpr std::uint8_t variant_present = 0x48;

enum class variant : bool { none, probe };

struct known_build {
    std::uint32_t entry_point_key;
    std::uint8_t host_code;
    std::uint8_t region;
    std::uint8_t major;
    std::uint8_t minor;
    std::uint8_t revision_a;
    std::uint8_t revision_b;
    variant variant_mark;
    std::uint8_t alt_build;
};

// One letter per host product line.
constexpr std::uint8_t line_1 = 'A';
constexpr std::uint8_t line_2 = 'B';
constexpr std::uint8_t line_3 = 'C';
constexpr std::uint8_t line_4 = 'D';
constexpr std::uint8_t line_5 = 'E';

constexpr std::uint8_t region_u = 'U';
constexpr std::uint8_t region_e = 'E';

constexpr variant none = variant::none;
constexpr variant probe = variant::probe;

// clang-format off
constexpr std::array<known_build, 19> known_builds = {{
    // key     line    region    maj min rev_a rev_b variant alt
    {0x5C1E70, line_1, 0,        1,  0,  0,    0,    none,   0},
    {0x5C2130, line_1, 0,        1,  1,  0,    0,    none,   0},
    {0x5C6FD0, line_1, 0,        1,  1,  0,    0,    none,   1},
    {0x9912ED, line_1, 0,        1,  1,  0,    0,    none,   1},
    {0x667BF0, line_2, 0,        1,  0,  0,    0,    none,   0},
    {0x667C40, line_2, 0,        1,  1,  0,    0,    none,   0},
    {0x666BA0, line_2, 0,        1,  1,  0,    0,    none,   1},
    {0xA402ED, line_2, 0,        1,  1,  0,    0,    none,   1},
    {0x824570, line_3, region_u, 1,  0,  0,    0,    probe,  0},
    {0x82457C, line_3, region_u, 1,  0,  0,    0,    probe,  0},
    {0x8245B0, line_3, region_e, 1,  0,  0,    0,    probe,  0},
    {0x8245BC, line_3, region_e, 1,  0,  0,    0,    probe,  0},
    {0x8252FC, line_3, region_u, 1,  1,  0,    0,    none,   0},
    {0x82533C, line_3, region_e, 1,  1,  0,    0,    none,   0},
    {0x85EC4A, line_3, 0,        3,  0,  0,    0,    none,   1},
    {0xD3C3DB, line_3, 0,        3,  0,  0,    0,    none,   1},
    {0xC965AD, line_4, region_u, 1,  0,  0,    4,    none,   0},
    {0xD0D011, line_4, region_u, 1,  0,  0,    7,    none,   0},
    {0xD0AF06, line_5, region_u, 1,  1,  2,    0,    none,   0},
}};
// clang-format on

host_version the_host_version;
bool constructed = false;
std::uint32_t header_reads = 0;
std::uint32_t detected_key = 0;

std::uint32_t plain_u32(std::uintptr_t address) {
    std::uint32_t value;
    std::memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
    return value;
}

// The entry point's address for an image based where the host family expects
// it, whatever base the image was actually given.
std::uint32_t entry_point_key() {
    ++header_reads;
    const auto image_base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const std::uint32_t pe_header = plain_u32(image_base + pe_header_offset_field);
    const std::uint32_t entry_point =
        plain_u32(image_base + pe_header + address_of_entry_point_field);
    return entry_point + host_address::preferred_image_base;
}

const known_build* find_build(std::uint32_t key) {
    for (const known_build& build : known_builds) {
        if (build.entry_point_key == key) {
            return &build;
        }
    }
    return nullptr;
}

} // namespace

bool detect_host_version() {
    host_version& version = the_host_version;
    version.host_code = 0;
    version.region = 0;
    version.major = 0;
    version.minor = 0;
    version.revision_a = 0;
    version.revision_b = 0;
    version.variant_mark = 0;
    version.alt_build = 0;

    detected_key = entry_point_key();
    const known_build* build = find_build(detected_key);
    if (build == nullptr) {
        return false;
    }
    version.host_code = build->host_code;
    version.region = build->region;
    version.major = build->major;
    version.minor = build->minor;
    version.revision_a = build->revision_a;
    version.revision_b = build->revision_b;
    version.alt_build = build->alt_build;
    if (build->variant_mark == variant::probe) {
        const bool jump = read_u8(host_address::variant_probe_byte) == variant_jump_opcode;
        version.variant_mark = jump ? variant_present : 0;
    }
    return true;
}

const host_version& request_host_version() {
    if (!constructed) {
        constructed = true;
        the_host_version = host_version{};
        the_host_version.name = "Unknown Plugin Name";
        detect_host_version();
    }
    return the_host_version;
}

std::uint32_t detected_entry_point_key() {
    request_host_version();
    return detected_key;
}

std::uint32_t host_header_reads() {
    return header_reads;
}

void reset_host_version_for_testing() {
    constructed = false;
}

} // namespace injector
