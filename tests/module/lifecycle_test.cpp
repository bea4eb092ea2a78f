// Loading, the host's passes through the three event sites, and unloading,
// with the real module in the simulated host.
#include "module_fixture.hpp"

#include "host/addresses.hpp"
#include "simhost/file_version.hpp"

#include <algorithm>
#include <regex>

using sim::host_fn;

namespace {

std::vector<std::uint8_t> bytes_at(std::uint32_t site) {
    return live_bytes(site, 5);
}

} // namespace

TEST_F(module_test, loading_rewrites_only_the_three_event_sites_and_calls_no_host_function) {
    load();
    std::vector<std::uint32_t> expected;
    for (std::uint32_t site : event_sites()) {
        EXPECT_TRUE(reaches_module(site)) << std::hex << site;
        for (std::uint32_t i = 0; i < 5; ++i) {
            expected.push_back(site + i);
        }
    }
    auto changed = sim::changed_code_bytes();
    std::sort(expected.begin(), expected.end());
    std::sort(changed.begin(), changed.end());
    // A displacement byte may happen to equal the host's; every change must be inside a site.
    for (std::uint32_t address : changed) {
        EXPECT_TRUE(std::binary_search(expected.begin(), expected.end(), address))
            << std::hex << address;
    }
    EXPECT_TRUE(sim::calls().empty());
    for (std::uint32_t site : text_sites()) {
        EXPECT_FALSE(reaches_module(site));
    }
}

TEST_F(module_test, init_runs_the_host_callee_then_loads_the_atlas_and_shifts_the_text) {
    load();
    const std::size_t dictionaries = sim::loaded_dictionary_count();
    sim::set_callee_result(sim::event_site::init, 0);
    EXPECT_EQ(sim::run_event_site(sim::event_site::init), 0u);

    const auto& calls = sim::calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].fn, host_fn::init_callee);
    EXPECT_EQ(calls[1].fn, host_fn::load_txd);
    EXPECT_EQ(calls[1].text_arg(0), "models\\speedometer.txd");
    EXPECT_EQ(calls[2].fn, host_fn::txd_texture);
    EXPECT_EQ(calls[2].args[0], calls[1].result);
    EXPECT_EQ(sim::loaded_dictionary_count(), dictionaries + 1);
    for (std::uint32_t site : text_sites()) {
        EXPECT_TRUE(reaches_module(site)) << std::hex << site;
    }

    const auto first_a = bytes_at(host_address::hud_text_a_call_site);
    const auto first_b = bytes_at(host_address::hud_text_b_call_site);
    sim::set_callee_result(sim::event_site::init, 0xFFFFFFFFu);
    EXPECT_EQ(sim::run_event_site(sim::event_site::init), 0xFFFFFFFFu);
    EXPECT_EQ(bytes_at(host_address::hud_text_a_call_site), first_a);
    EXPECT_EQ(bytes_at(host_address::hud_text_b_call_site), first_b);
    EXPECT_EQ(sim::loaded_dictionary_count(), dictionaries + 1)
        << "the first dictionary was not handed back";
}

TEST_F(module_test, a_frame_with_a_vehicle_is_drawn_after_the_host_callee) {
    load();
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.6f, 1);
    sim::clear_calls();
    sim::set_callee_result(sim::event_site::draw, 0x12345678u);
    EXPECT_EQ(sim::run_event_site(sim::event_site::draw), 0x12345678u);

    const auto& calls = sim::calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].fn, host_fn::draw_callee);
    EXPECT_EQ(sim::count_of(host_fn::render_2d), 9u); // four sprites, four digits, the arc
    EXPECT_EQ(calls.back().fn, host_fn::set_render_state);
    EXPECT_EQ(calls.back().args[1], 0u);
    EXPECT_TRUE(sim::write_frame_png("module_frame_1920x1080.png"));
}

TEST_F(module_test, shutdown_releases_the_atlas_before_the_host_callee_runs) {
    const std::size_t dictionaries = sim::loaded_dictionary_count();
    load();
    sim::run_event_site(sim::event_site::init);
    const std::uint32_t handle = sim::calls_of(host_fn::load_txd).back().result;
    sim::clear_calls();
    sim::run_event_site(sim::event_site::shutdown);
    const auto& calls = sim::calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].fn, host_fn::release_txd);
    EXPECT_EQ(calls[0].args[0], handle);
    EXPECT_EQ(calls[1].fn, host_fn::shutdown_callee);
    EXPECT_EQ(sim::loaded_dictionary_count(), dictionaries);
}

TEST_F(module_test, no_frame_uses_the_atlas_between_shutdown_and_the_next_init) {
    load();
    sim::run_event_site(sim::event_site::init);
    sim::run_event_site(sim::event_site::shutdown);
    enter_vehicle(0.5f);
    sim::clear_calls();
    sim::run_event_site(sim::event_site::draw);
    EXPECT_EQ(sim::count_of(host_fn::render_2d), 0u);
    EXPECT_EQ(sim::count_of(host_fn::set_render_state), 0u);

    sim::run_event_site(sim::event_site::init);
    sim::clear_calls();
    sim::run_event_site(sim::event_site::draw);
    EXPECT_EQ(sim::count_of(host_fn::render_2d), 9u);
}

TEST_F(module_test, a_missing_dictionary_is_not_a_crash) {
    sim::set_asset_root("no-such-folder");
    load();
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(sim::calls_of(host_fn::load_txd).back().result, 0u);
    enter_vehicle(0.5f);
    sim::clear_calls();
    sim::run_event_site(sim::event_site::draw);
    EXPECT_EQ(sim::count_of(host_fn::render_2d), 0u);
    sim::run_event_site(sim::event_site::shutdown);
    EXPECT_EQ(sim::count_of(host_fn::release_txd), 0u) << "a null handle goes back to the host";
    sim::set_asset_root("");
}

TEST_F(module_test, unloading_gives_back_every_site_including_the_text_sites) {
    const auto before_event =
        std::vector{bytes_at(host_address::init_call_site), bytes_at(host_address::draw_call_site),
                    bytes_at(host_address::shutdown_call_site)};
    load();
    sim::run_event_site(sim::event_site::init);
    unload();
    EXPECT_TRUE(sim::changed_code_bytes().empty());
    EXPECT_EQ(bytes_at(host_address::init_call_site), before_event[0]);
    // The host's text sites call the host's text functions again.
    sim::clear_calls();
    enter_vehicle(0.5f);
    sim::run_text_site(sim::text_site::a, 1000.0f, 20.0f, 7);
    ASSERT_EQ(sim::count_of(host_fn::hud_text_a), 1u);
    EXPECT_EQ(sim::calls_of(host_fn::hud_text_a)[0].float_arg(0), 1000.0f);
}

TEST_F(module_test, unloading_before_the_host_reached_init_calls_no_host_function) {
    load();
    sim::clear_calls();
    unload();
    EXPECT_TRUE(sim::calls().empty());
    EXPECT_TRUE(sim::changed_code_bytes().empty());
}

TEST_F(module_test, the_module_exports_nothing_imports_only_system_libraries_and_stays_small) {
    load();
    const auto base = reinterpret_cast<std::uint32_t>(module_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module_);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const auto& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exports.VirtualAddress != 0) {
        const auto* dir =
            reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exports.VirtualAddress);
        EXPECT_EQ(dir->NumberOfFunctions, 0u);
        EXPECT_EQ(dir->NumberOfNames, 0u);
    }
    const auto& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (const auto* desc =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         desc->Name != 0; ++desc) {
        names.emplace_back(reinterpret_cast<const char*>(base + desc->Name));
    }
    // USER32 for the settings' toggle key, read with GetAsyncKeyState.
    EXPECT_EQ(names, (std::vector<std::string>{"KERNEL32.dll", "msvcrt.dll", "USER32.dll"}));
#ifndef TRAPPING_MODULE
    // No more than 170 KB: a throwing library call alone brings in the
    // run-time's exceptions and strings, some 90 KB.
    WIN32_FILE_ATTRIBUTE_DATA file{};
    ASSERT_TRUE(GetFileAttributesExA(module_file, GetFileExInfoStandard, &file));
    EXPECT_LE(file.nFileSizeLow, 170u * 1024);
#endif
}

// What Windows' file properties show a player who asks which release runs.
TEST(module_file, carries_the_project_version_in_its_version_resource) {
    const sim::file_version_info version = sim::read_file_version(module_file);
    // The product version names the commit too, 12 digits of its hash; the
    // file version, which Windows compares, is the release alone.
    EXPECT_TRUE(std::regex_match(
        version.product_version,
        std::regex(std::string(SPEEDOMETER_VERSION) + R"( \(commit ([0-9a-f]{12}|unknown)\))")))
        << version.product_version;
    EXPECT_EQ(version.file_version, SPEEDOMETER_VERSION);
    EXPECT_EQ(version.fixed_version, SPEEDOMETER_VERSION);
    EXPECT_EQ(version.product_name, "Speedometer");
    EXPECT_FALSE(version.description.empty());
}
