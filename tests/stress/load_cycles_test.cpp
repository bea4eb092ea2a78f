// A player's session may load and unload the module many times in one host
// process: each cycle must give the host its code back and leave no memory
// and no handle behind.
#include "module_fixture.hpp"
#include "process_footprint.hpp"

#include <cstdio>

namespace {

struct footprint {
    std::size_t bytes;
    std::size_t handles;
};

footprint measure() {
    return {committed_private_bytes(), open_handle_count()};
}

} // namespace

TEST_F(module_test, a_hundred_load_play_unload_cycles_leave_host_memory_and_handles_flat) {
    const std::size_t dictionaries = sim::loaded_dictionary_count();
    enter_vehicle(0.7f, 2);
    sim::set_drawing_enabled(false);
    sim::set_call_logging(false);
    footprint at_cycle_10{};
    for (int cycle = 1; cycle <= 100; ++cycle) {
        load();
        sim::run_event_site(sim::event_site::init);
        for (int frame = 0; frame < 10; ++frame) {
            sim::run_event_site(sim::event_site::draw);
        }
        sim::run_text_site(sim::text_site::a, 100.0f, 100.0f, 0);
        sim::run_event_site(sim::event_site::shutdown);
        unload();
        ASSERT_TRUE(sim::changed_code_bytes().empty()) << "host code changed after cycle " << cycle;
        if (cycle == 10) {
            at_cycle_10 = measure();
        }
    }
    const footprint at_cycle_100 = measure();
    sim::set_call_logging(true);
    std::printf("load cycles: committed private memory %zu bytes at cycle 10, %zu at cycle 100; "
                "open handles %zu at cycle 10, %zu at cycle 100\n",
                at_cycle_10.bytes, at_cycle_100.bytes, at_cycle_10.handles, at_cycle_100.handles);
    EXPECT_EQ(sim::loaded_dictionary_count(), dictionaries);
    EXPECT_LT(at_cycle_100.bytes, at_cycle_10.bytes + 64 * 1024);
    EXPECT_LE(at_cycle_100.handles, at_cycle_10.handles);
}

TEST_F(module_test, a_played_cycle_leaves_every_site_page_protected_as_before) {
    const auto protection_at = [](std::uint32_t address) {
        MEMORY_BASIC_INFORMATION region{};
        VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region);
        return region.Protect;
    };
    std::vector<std::uint32_t> sites = event_sites();
    for (std::uint32_t site : text_sites()) {
        sites.push_back(site);
    }
    std::vector<DWORD> before;
    for (std::uint32_t site : sites) {
        before.push_back(protection_at(site));
        before.push_back(protection_at(site + 4));
    }
    load();
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    sim::run_event_site(sim::event_site::draw);
    sim::run_event_site(sim::event_site::shutdown);
    unload();
    for (std::size_t i = 0; i < sites.size(); ++i) {
        EXPECT_EQ(protection_at(sites[i]), before[2 * i]) << std::hex << sites[i];
        EXPECT_EQ(protection_at(sites[i] + 4), before[2 * i + 1]) << std::hex << sites[i];
        EXPECT_EQ(before[2 * i], static_cast<DWORD>(PAGE_EXECUTE_READ));
    }
}
