#include "code_page_test.hpp"
#include "host/addresses.hpp"
#include "injector/host_version.hpp"
#include "injector/unprotect_guard.hpp"

#include <cctype>
#include <cstring>
#include <map>

using namespace test;
using injector::detect_host_version;
using injector::host_version;
using injector::request_host_version;

namespace {

constexpr address_t probe = host_address::variant_probe_byte;
constexpr std::uint8_t jump = 0xE9;
constexpr std::uint8_t not_a_jump = 0x8B;

std::uint32_t header_entry_point() {
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    std::uint32_t pe_header;
    std::uint32_t entry_point;
    std::memcpy(&pe_header, reinterpret_cast<const void*>(base + 0x3C), 4);
    std::memcpy(&entry_point, reinterpret_cast<const void*>(base + pe_header + 0x28), 4);
    return entry_point;
}

class host_version_detection : public code_page_test {
  protected:
    void SetUp() override {
        code_page_test::SetUp();
        original_entry_point = header_entry_point();
        original_probe = peek(probe, 1);
        injector::reset_host_version_for_testing();
    }
    void TearDown() override {
        sim::set_entry_point(original_entry_point);
        poke(probe, original_probe);
        injector::reset_host_version_for_testing();
        code_page_test::TearDown();
    }

    // The record as a fresh process would find it in a host with this key.
    static const host_version& detected_for(std::uint32_t key, std::uint8_t probe_byte) {
        sim::set_entry_point(key - 0x400000);
        poke(probe, {probe_byte});
        injector::reset_host_version_for_testing();
        return request_host_version();
    }

  private:
    std::uint32_t original_entry_point = 0;
    std::vector<std::uint8_t> original_probe;
};

struct known_build {
    std::uint32_t key;
    int line;
    char region;
    std::uint8_t major;
    std::uint8_t minor;
    std::uint8_t revision_a;
    std::uint8_t revision_b;
    bool probes_variant;
    std::uint8_t alt_build;
};

constexpr known_build known_builds[] = {
    {0x5C1E70, 1, 0, 1, 0, 0, 0, false, 0},   {0x5C2130, 1, 0, 1, 1, 0, 0, false, 0},
    {0x5C6FD0, 1, 0, 1, 1, 0, 0, false, 1},   {0x9912ED, 1, 0, 1, 1, 0, 0, false, 1},
    {0x667BF0, 2, 0, 1, 0, 0, 0, false, 0},   {0x667C40, 2, 0, 1, 1, 0, 0, false, 0},
    {0x666BA0, 2, 0, 1, 1, 0, 0, false, 1},   {0xA402ED, 2, 0, 1, 1, 0, 0, false, 1},
    {0x824570, 3, 'U', 1, 0, 0, 0, true, 0},  {0x82457C, 3, 'U', 1, 0, 0, 0, true, 0},
    {0x8245B0, 3, 'E', 1, 0, 0, 0, true, 0},  {0x8245BC, 3, 'E', 1, 0, 0, 0, true, 0},
    {0x8252FC, 3, 'U', 1, 1, 0, 0, false, 0}, {0x82533C, 3, 'E', 1, 1, 0, 0, false, 0},
    {0x85EC4A, 3, 0, 3, 0, 0, 0, false, 1},   {0xD3C3DB, 3, 0, 3, 0, 0, 0, false, 1},
    {0xC965AD, 4, 'U', 1, 0, 0, 4, false, 0}, {0xD0D011, 4, 'U', 1, 0, 0, 7, false, 0},
    {0xD0AF06, 5, 'U', 1, 1, 2, 0, false, 0},
};

TEST_F(host_version_detection, recognises_every_known_build) {
    std::map<int, std::uint8_t> code_of_line;
    for (const known_build& build : known_builds) {
        SCOPED_TRACE(::testing::Message() << "key 0x" << std::hex << build.key);
        const host_version& version = detected_for(build.key, jump);
        EXPECT_STREQ(version.name, "Unknown Plugin Name");
        EXPECT_EQ(version.region, build.region);
        EXPECT_EQ(version.major, build.major);
        EXPECT_EQ(version.minor, build.minor);
        EXPECT_EQ(version.revision_a, build.revision_a);
        EXPECT_EQ(version.revision_b, build.revision_b);
        EXPECT_EQ(version.variant_mark, build.probes_variant ? 0x48 : 0);
        EXPECT_EQ(version.alt_build, build.alt_build);
        EXPECT_TRUE(std::isalpha(version.host_code));
        code_of_line.emplace(build.line, version.host_code);
        EXPECT_EQ(version.host_code, code_of_line[build.line]) << "line " << build.line;
        EXPECT_TRUE(detect_host_version());
    }
    // Five lines, five letters.
    std::map<std::uint8_t, int> line_of_code;
    for (const auto& [line, code] : code_of_line) {
        line_of_code.emplace(code, line);
    }
    EXPECT_EQ(code_of_line.size(), 5u);
    EXPECT_EQ(line_of_code.size(), 5u);
}

TEST_F(host_version_detection, the_variant_mark_follows_the_probed_code_byte) {
    const host_version& with_jump = detected_for(0x8245B0, jump);
    EXPECT_EQ(with_jump.region, 'E');
    EXPECT_EQ(with_jump.major, 1);
    EXPECT_EQ(with_jump.minor, 0);
    EXPECT_EQ(with_jump.variant_mark, 0x48);

    EXPECT_EQ(detected_for(0x8245B0, not_a_jump).variant_mark, 0);
    EXPECT_EQ(detected_for(0x824570, not_a_jump).variant_mark, 0);
}

TEST_F(host_version_detection, the_probe_is_a_protected_one_byte_read) {
    sim::set_entry_point(0x8245B0 - 0x400000);
    poke(probe, {jump});
    protection_recorder recorder;

    request_host_version();

    EXPECT_EQ(requests(recorder.changes()), round_trip(probe, 1));
}

TEST_F(host_version_detection, the_key_assumes_the_preferred_image_base) {
    const host_version& version = detected_for(0x1C1E70 + 0x400000, jump);
    EXPECT_NE(version.host_code, 0);
    EXPECT_EQ(version.host_code, detected_for(0x5C1E70, jump).host_code);
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 0);
}

void expect_unrecognised(const host_version& version) {
    EXPECT_STREQ(version.name, "Unknown Plugin Name");
    EXPECT_EQ(version.host_code, 0);
    EXPECT_EQ(version.region, 0);
    EXPECT_EQ(version.major, 0);
    EXPECT_EQ(version.minor, 0);
    EXPECT_EQ(version.revision_a, 0);
    EXPECT_EQ(version.revision_b, 0);
    EXPECT_EQ(version.variant_mark, 0);
    EXPECT_EQ(version.alt_build, 0);
}

TEST_F(host_version_detection, an_unknown_build_leaves_every_field_but_the_name_zero) {
    expect_unrecognised(detected_for(0x401000, jump));
    EXPECT_FALSE(detect_host_version());

    // A detection that finds nothing clears whatever an earlier one found.
    for (const known_build& build : known_builds) {
        SCOPED_TRACE(::testing::Message() << "after key 0x" << std::hex << build.key);
        const host_version& version = detected_for(build.key, jump);
        sim::set_entry_point(build.key + 1 - 0x400000);
        EXPECT_FALSE(detect_host_version());
        expect_unrecognised(version);
    }
}

TEST_F(host_version_detection, a_second_request_reads_nothing_again) {
    const host_version& first = detected_for(0x8245B0, jump);
    const std::uint32_t header_reads = injector::host_header_reads();
    const std::uint32_t protection_changes = injector::protection_change_count();
    sim::set_entry_point(0x5C1E70 - 0x400000);
    poke(probe, {not_a_jump});

    const host_version& second = request_host_version();

    EXPECT_EQ(&second, &first);
    EXPECT_EQ(second.region, 'E');
    EXPECT_EQ(second.variant_mark, 0x48);
    EXPECT_EQ(injector::host_header_reads(), header_reads);
    EXPECT_EQ(injector::protection_change_count(), protection_changes);
}

} // namespace
