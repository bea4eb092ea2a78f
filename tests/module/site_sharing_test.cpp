// Call sites shared with another plug-in: chained when it came first, also
// through a trampoline outside any image; its bytes kept when it came after,
// with the site leading past the module once the module is gone; and the
// host's code back once both are gone, whichever leaves first.
#include "module_fixture.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <optional>

using sim::host_fn;

namespace {

struct shared_site {
    std::uint32_t site;
    host_fn host_callee;
    host_fn called_by_module; // shows that the module's handler ran
};

const shared_site shared_sites[] = {
    {host_address::init_call_site, host_fn::init_callee, host_fn::load_txd},
    {host_address::draw_call_site, host_fn::draw_callee, host_fn::render_2d},
    {host_address::shutdown_call_site, host_fn::shutdown_callee, host_fn::release_txd},
    {host_address::hud_text_a_call_site, host_fn::hud_text_a, host_fn::player_vehicle},
    {host_address::hud_text_b_call_site, host_fn::hud_text_b, host_fn::player_vehicle},
};

// Runs the site as the host does, whatever kind of site it is.
void run_site(std::uint32_t site) {
    if (site == host_address::hud_text_a_call_site) {
        sim::run_text_site(sim::text_site::a, 1500.0f, 10.0f, 0);
    } else if (site == host_address::hud_text_b_call_site) {
        sim::run_text_site(sim::text_site::b, 1500.0f, 10.0f, 0);
    } else {
        const sim::event_site events[] = {sim::event_site::init, sim::event_site::draw,
                                          sim::event_site::shutdown};
        for (sim::event_site event : events) {
            if (sim::site_address(event) == site) {
                sim::run_event_site(event);
            }
        }
    }
}

// One pass through the site: the host's callee once, and the module's handler
// (with the HUD text moved) or nothing of the module's.
void expect_a_pass(const shared_site& shared, bool through_module) {
    sim::clear_calls();
    run_site(shared.site);
    ASSERT_EQ(sim::count_of(shared.host_callee), 1u);
    EXPECT_EQ(sim::count_of(shared.called_by_module) > 0, through_module);
    if (shared.host_callee == host_fn::hud_text_a || shared.host_callee == host_fn::hud_text_b) {
        EXPECT_EQ(sim::calls_of(shared.host_callee)[0].float_arg(0),
                  through_module ? 1500.0f - 355.0f : 1500.0f);
    }
}

} // namespace

TEST_F(module_test, a_site_another_plugin_took_first_runs_its_call_within_the_module_handlers) {
    for (bool through_trampoline : {false, true}) {
        for (const shared_site& shared : shared_sites) {
            SCOPED_TRACE(through_trampoline ? "through a trampoline" : "straight");
            SCOPED_TRACE(shared.site);
            foreign_plugin other(shared.site, through_trampoline);
            load();
            enter_vehicle(0.5f);
            if (shared.site != host_address::init_call_site) {
                sim::run_event_site(sim::event_site::init);
            }
            const std::uint32_t passes_before = other.passes();
            expect_a_pass(shared, true);
            EXPECT_TRUE(reaches_module(shared.site));
            EXPECT_EQ(other.passes(), passes_before + 1);
            unload();

            // Its call stays, and leads straight to the host's callee.
            expect_a_pass(shared, false);
            EXPECT_EQ(other.passes(), passes_before + 2);
            other.unload();
            EXPECT_TRUE(sim::changed_code_bytes().empty());
        }
    }
}

TEST_F(module_test, either_unload_order_gives_the_host_its_code_back) {
    for (std::uint32_t site : {host_address::draw_call_site, host_address::hud_text_b_call_site}) {
        for (bool module_first : {true, false}) {
            foreign_plugin other(site);
            load();
            sim::run_event_site(sim::event_site::init);
            if (module_first) {
                unload();
                other.unload();
            } else {
                other.unload();
                unload();
            }
            EXPECT_TRUE(sim::changed_code_bytes().empty())
                << std::hex << site << (module_first ? " module first" : " other plug-in first");
        }
    }
}

TEST_F(module_test, after_unload_a_site_another_plugin_took_later_leads_past_the_module) {
    for (const shared_site& shared : shared_sites) {
        SCOPED_TRACE(shared.site);
        load();
        sim::run_event_site(sim::event_site::init);
        foreign_plugin other(shared.site);
        const auto its_call = live_bytes(shared.site, 5);
        unload();
        EXPECT_EQ(live_bytes(shared.site, 5), its_call);

        enter_vehicle(0.5f);
        const std::uint32_t passes_before = other.passes();
        expect_a_pass(shared, false);
        EXPECT_EQ(other.passes(), passes_before + 1);
        // Its own unload puts back the call the module wrote, which must lead
        // to the host's callee too.
        other.unload();
        expect_a_pass(shared, false);
        sim::restore_code();
    }
}

TEST_F(module_test, a_new_game_takes_a_text_site_again_only_where_the_hosts_call_was_put_back) {
    const std::uint32_t site = host_address::hud_text_a_call_site;
    const auto host_call = live_bytes(site, 5);
    for (bool put_back : {true, false}) {
        SCOPED_TRACE(put_back ? "the host's call put back" : "another plug-in's call");
        load();
        sim::run_event_site(sim::event_site::init);
        foreign_plugin other(site);
        if (put_back) {
            other.unload(); // writes back the module's call
            injector::write_bytes(site, host_call.data(), 5, true);
        }
        const auto before_init = live_bytes(site, 5);
        sim::run_event_site(sim::event_site::init);
        EXPECT_EQ(reaches_module(site), put_back);
        EXPECT_EQ(live_bytes(site, 5) == before_init, !put_back);

        // Either way the text moves, once.
        enter_vehicle(0.5f);
        expect_a_pass(shared_sites[3], true); // text site a
        unload();
        other.unload();
        sim::restore_code();
    }
}

// Another plug-in that held the site before the module, leaving, writes the
// host's call back: over the module's, or over a second copy's call on top,
// which still holds the module's call and writes it back when it leaves.
TEST_F(module_test, a_site_another_plugin_gives_back_under_the_module_is_taken_again) {
    const struct {
        int shared; // draw site, text site a
        bool new_game, one_on_top, module_leaves_first;
    } cases[] = {{3, true, false, true},  {3, false, false, true}, {1, true, false, true},
                 {1, false, false, true}, {3, true, true, false},  {3, true, true, true},
                 {3, false, true, true}};
    for (const auto& [shared, new_game, one_on_top, module_leaves_first] : cases) {
        const std::uint32_t site = shared_sites[shared].site;
        SCOPED_TRACE(testing::Message() << site << new_game << one_on_top << module_leaves_first);
        foreign_plugin other(site);
        load();
        sim::run_event_site(sim::event_site::init);
        std::optional<foreign_plugin> on_top;
        if (one_on_top) {
            on_top.emplace(site, false, true);
        }
        const auto gone = {module_image(), other.image()};
        other.unload(); // writes the host's call back over the module's
        enter_vehicle(0.5f);
        expect_a_pass(shared_sites[shared], false);
        if (new_game) {
            sim::run_event_site(sim::event_site::init);
            EXPECT_TRUE(reaches_module(site));
            expect_a_pass(shared_sites[shared], true);
        }
        for (bool module_leaves : {module_leaves_first, !module_leaves_first}) {
            module_leaves ? unload() : on_top.reset();
            expect_a_pass(shared_sites[shared], false);
        }
        EXPECT_EQ(sim::changed_code_bytes().empty(), !one_on_top);
        for (const auto& image : gone) {
            EXPECT_EQ(code_leading_into(image), 0u);
        }
        sim::restore_code();
    }
}
