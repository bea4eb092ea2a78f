// Loading and unloading a module that adds handlers to two events: the sites
// go back to the host, last taken first, each before the handlers it led to
// are freed.
#include "chain_trace.hpp"
#include "scratch_sites.hpp"
#include "teardown_probe.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

using scratch::address_of;

namespace {

struct destruction {
    int handler_id;
    bool first_site_is_hosts;
    bool second_site_is_hosts;
};

std::vector<destruction> destructions;
scratch::bytes first_host_call;
scratch::bytes second_host_call;

bool site_is_hosts(int n, const scratch::bytes& host_call) {
    return scratch::read(scratch::call_at(n), 5) == host_call;
}

void note_run(int id) {
    chain_trace += static_cast<char>('0' + id);
}

void note_destroyed(int id) {
    destructions.push_back({id, site_is_hosts(probe::first_site, first_host_call),
                            site_is_hosts(probe::second_site, second_host_call)});
}

} // namespace

TEST(event_teardown, unloading_gives_the_sites_back_last_taken_first_before_freeing_handlers) {
    scratch::write_function(probe::first_site, address_of(&scratch::first_callee));
    scratch::write_function(probe::second_site, address_of(&scratch::second_callee));
    first_host_call = scratch::read(scratch::call_at(probe::first_site), 5);
    second_host_call = scratch::read(scratch::call_at(probe::second_site), 5);

    HMODULE module = LoadLibraryA("teardown_probe.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(site_is_hosts(probe::first_site, first_host_call)) << "an event acted at load";
    EXPECT_TRUE(site_is_hosts(probe::second_site, second_host_call));

    const auto add_handlers = reinterpret_cast<probe::add_handlers_fn>(
        reinterpret_cast<void*>(GetProcAddress(module, probe::add_handlers_name)));
    ASSERT_NE(add_handlers, nullptr);
    add_handlers(&note_run, &note_destroyed);
    EXPECT_FALSE(site_is_hosts(probe::first_site, first_host_call));
    EXPECT_FALSE(site_is_hosts(probe::second_site, second_host_call));

    chain_trace.clear();
    scratch::first_log.result = 30;
    scratch::second_log.result = 31;
    EXPECT_EQ(scratch::run(probe::first_site), 30u);
    EXPECT_EQ(scratch::run(probe::second_site), 31u);
    EXPECT_EQ(chain_trace, "o12o");

    destructions.clear();
    ASSERT_TRUE(FreeLibrary(module));

    ASSERT_EQ(destructions.size(), 2u) << "only the stored handlers are left at unload";
    EXPECT_EQ(destructions[0].handler_id, 2);
    EXPECT_TRUE(destructions[0].second_site_is_hosts);
    EXPECT_FALSE(destructions[0].first_site_is_hosts)
        << "the first site went back before the second";
    EXPECT_EQ(destructions[1].handler_id, 1);
    EXPECT_TRUE(destructions[1].first_site_is_hosts);
    EXPECT_TRUE(site_is_hosts(probe::first_site, first_host_call));
    EXPECT_TRUE(site_is_hosts(probe::second_site, second_host_call));

    chain_trace.clear();
    EXPECT_EQ(scratch::run(probe::second_site), 31u);
    EXPECT_EQ(chain_trace, "o");
}
