// Every site the module finds other than it expects gets a line of its own in
// the log: all five at load, both HUD text sites at init.
#include "module_fixture.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <cstdio>

TEST_F(module_test, logs_a_line_for_every_site_found_changed) {
    std::vector<std::uint32_t> all_sites = event_sites();
    all_sites.insert(all_sites.end(), {text_sites()[0], text_sites()[1]});
    const struct {
        bool at_init; // changed after load, found at the next init
        std::vector<std::uint32_t> sites;
        const char* action;
    } cases[] = {{false, all_sites, "not running"}, {true, text_sites(), "HUD text left in place"}};
    const std::uint8_t nops[5] = {0x90, 0x90, 0x90, 0x90, 0x90};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        DeleteFileA("speedometer.log");
        if (c.at_init) {
            load();
        }
        for (std::uint32_t site : c.sites) {
            injector::write_bytes(site, nops, 5, true);
        }
        if (c.at_init) {
            sim::run_event_site(sim::event_site::init);
        } else {
            load();
        }
        unload();
        sim::restore_code();

        const auto lines = log_lines();
        ASSERT_EQ(lines.size(), c.sites.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            char start[96];
            std::snprintf(start, sizeof start, "%s: the code at 0x%08X (90 90 90 90 90) is no call",
                          c.action, c.sites[i]);
            EXPECT_TRUE(lines[i].starts_with(start)) << lines[i];
        }
    }
}

TEST_F(module_test, refuses_a_site_in_the_hosts_image_whose_page_is_not_executable) {
    const std::uint32_t site = host_address::draw_call_site;
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(reinterpret_cast<void*>(site), 5, PAGE_READONLY, &previous));
    load();
    unload();
    VirtualProtect(reinterpret_cast<void*>(site), 5, previous, &previous);
    EXPECT_TRUE(sim::changed_code_bytes().empty());
    const auto lines = log_lines();
    ASSERT_FALSE(lines.empty());
    char start[64];
    std::snprintf(start, sizeof start, "not running: the code at 0x%08X (", site);
    EXPECT_TRUE(lines[0].starts_with(start)) << lines[0];
    EXPECT_NE(lines[0].find("lies outside the host's code"), std::string::npos) << lines[0];
}
