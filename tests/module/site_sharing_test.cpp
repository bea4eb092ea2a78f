// Call sites shared with another plug-in: chained when it came first, also
// through a trampoline outside any image; its bytes kept when it came after,
// with the site leading past the module once the module is gone; and the
// host's code back once both are gone, whichever leaves first.
#include "module_fixture.hpp"

#include "host/addresses.hpp"
#include "injector/protected_memory.hpp"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>

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
                 {1, false, false, true}, {2, true, false, true},  {3, true, true, false},
                 {3, true, true, true},   {3, false, true, true}};
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
        // The module's own call written back is given back too, when it leaves last.
        EXPECT_EQ(sim::changed_code_bytes().empty(), !one_on_top || !module_leaves_first);
        for (const auto& image : gone) {
            EXPECT_EQ(code_leading_into(image), 0u);
        }
        sim::restore_code();
    }
}

namespace {

const std::string plugin_names = "M123";

// Where the site's path goes with a plain plug-in in the module's place,
// plug-in 0. The others write back what they found when they leave; plug-in 0,
// like the module, does so only where its own call stands, and else leaves a
// jump to what it found. A path into a plug-in unloaded since faults, but not
// past the module while it is at work, if it once saw the path reach the host:
// a new game mends the path behind it. Loaded where the site's call leads into
// an unloaded plug-in, the module takes nothing.
struct plain_path {
    static constexpr int host = -1;
    int site = host;
    int below[4] = {};
    bool loaded[4] = {};
    bool module_at_work = false, module_mends = false;

    void take(int plugin) {
        if (plugin == 0 && (module_at_work = site == host || loaded[site])) {
            module_mends = !faults();
        }
        if (plugin != 0 || module_at_work) {
            below[plugin] = site, site = plugin, loaded[plugin] = true;
        }
    }
    void leave(int plugin) {
        module_at_work &= plugin != 0;
        if (plugin != 0 || site == 0) {
            site = below[plugin], loaded[plugin] = false;
        }
    }
    bool faults() const {
        for (int at = site; at != host && !(at == 0 && module_at_work && module_mends);
             at = below[at]) {
            if (!loaded[at]) {
                return true;
            }
        }
        return false;
    }
};

// Plug-ins taking a site, each at its first place in places, and leaving it,
// at its second, with a new game after each leave.
std::string order_of(const std::string& places) {
    std::string order;
    for (std::size_t at = 0; at < places.size(); ++at) {
        const bool takes = places.find(places[at]) == at;
        order.append(1, takes ? '+' : '-').append(1, places[at]).append(takes ? " " : " i ");
    }
    return order;
}

} // namespace

// Plug-ins take (+) and leave (-) a site, each leaving plug-in writing back
// what it found: the module (M) and copies of the other plug-in (1-3), with
// new games (i); "t": through a trampoline, not where the one before lay. After
// each new game one host call runs the host's callee once and, while the
// module is at work, its handler exactly once; nothing faults that a plain
// plug-in in the module's place does not; the host has its code back where
// the module leaves last.
TEST_F(module_test, every_order_of_plugins_leads_through_the_module_once_after_a_new_game) {
    std::vector<std::string> orders = {
        "+1 +M +2 -1 i -2 i i -M i", // the module's own call written back by one on top
        "+1 +2 +M -2 i -1 i -M i",   // one below writes back a call to one still loaded
        "+1 +M -1 +2t i -2 i -M i",  // given back, then taken before the new game
        "+M +1 +2 +3 -1 i -3 i -2 i -M i", "+1 +2 +M +3 -2 i -1 i -3 i -M i",
        "+3 +1 +M +2 -1 i -3 i -2 i -M i"};
    std::string takes = "12M", leaves = "12M", four = "MM112233";
    for (int n = 0; n < 36; ++n, std::next_permutation(leaves.begin(), leaves.end()) ||
                                     std::next_permutation(takes.begin(), takes.end())) {
        orders.push_back(order_of(takes + leaves)); // every order of three
    }
    std::mt19937 random(39); // a hundred random orders of four, the same each run
    std::generate_n(std::back_inserter(orders), 100, [&] {
        std::shuffle(four.begin(), four.end(), random);
        return order_of(four);
    });
    enter_vehicle(0.5f);
    for (const std::string& order : orders) { // at the draw, shutdown and both text sites at once
        SCOPED_TRACE(order);
        plain_path plain;
        std::optional<foreign_plugin> others[4][4]; // by plug-in, then by site
        std::istringstream steps(order);
        for (std::string step; steps >> step;) {
            const int plugin = step == "i" ? 0 : static_cast<int>(plugin_names.find(step[1]));
            if (step == "+M") {
                load();
            } else if (step == "-M") {
                unload(); // the host calls that follow show where its stubs lead
            }
            for (int site = 0; site < 4 && plugin > 0; ++site) {
                if (step[0] == '+') {
                    others[plugin][site].emplace(shared_sites[1 + site].site, step.back() == 't',
                                                 4 * plugin + site);
                } else {
                    others[plugin][site]->unload();
                }
            }
            if (step != "i") {
                step[0] == '+' ? plain.take(plugin) : plain.leave(plugin);
            }
            if (step == "i" || step == "+M") { // the text sites are taken at init
                sim::run_event_site(sim::event_site::init);
            }
            for (int site = 1; site <= 4 && (step == "i" || step == "-M") && !plain.faults();
                 ++site) {
                const shared_site& at = shared_sites[site];
                sim::clear_calls();
                run_site(at.site);
                ASSERT_EQ(sim::count_of(at.host_callee), 1u) << std::hex << at.site << step;
                EXPECT_EQ(sim::count_of(site == 2 ? host_fn::release_txd : host_fn::player_vehicle),
                          plain.module_at_work ? 1u : 0u)
                    << std::hex << at.site << step;
            }
        }
        if (order.find_last_of('-') == order.rfind("-M") && plain.site == plain_path::host) {
            EXPECT_TRUE(sim::changed_code_bytes().empty());
        }
        sim::restore_code();
    }
}

// A live plug-in stays on the site's path through a new game and the module's
// unload, whatever its hook's shape, also while its trampoline's page is for a
// moment unreadable, or runs from a read-write page with DEP off (as old games
// run: their loaders' call). One that leaves without writing the site back has
// the path mended behind it by the next new game, or by the module's unload.
TEST_F(module_test, a_live_plugin_stays_on_the_path_whatever_its_hook_and_its_pages) {
    enum then : int { stays, leaves_then_new_game, leaves_then_unload };
    constexpr DWORD code = PAGE_EXECUTE_READ, data = PAGE_READWRITE;
    struct row {
        int shared, shape; // draw site, text site a
        DWORD made, briefly;
        bool on_top;
        int then;
    };
    std::vector<row> cases = {
        {1, foreign_hook::jump, data, data, false, stays},
        {1, foreign_hook::jump, code, code, false, leaves_then_new_game},
        {3, foreign_hook::jump, code, code, false, leaves_then_unload},
        {1, foreign_hook::jump_register, code, code, false, leaves_then_new_game},
        {1, foreign_hook::helper_first, code, code, false, leaves_then_unload},
        {1, foreign_hook::host_first, code, code, false, leaves_then_new_game},
        {1, foreign_hook::host_first, code, code, true, stays},
        {3, foreign_hook::helper_first, code, code, true, stays}};
    for (int shared : {1, 3}) {
        for (DWORD briefly : {DWORD{PAGE_NOACCESS}, code | PAGE_GUARD, DWORD{PAGE_READONLY}}) {
            for (bool on_top : {false, true}) {
                cases.push_back({shared, foreign_hook::jump, code, briefly, on_top, stays});
            }
        }
    }
    using set_information = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG);
    const auto set = reinterpret_cast<set_information>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationProcess")));
    enter_vehicle(0.5f);
    int new_games_dropping = 0, unloads_writing_over = 0, unloads = 0;
    for (const row& c : cases) {
        const shared_site& shared = shared_sites[c.shared];
        SCOPED_TRACE(testing::Message() << c.shared << c.shape << c.briefly << c.on_top << c.then);
        ULONG execute_data = c.made == data ? 2 : 1; // MEM_EXECUTE_OPTION_ENABLE, _DISABLE
        ASSERT_EQ(set(GetCurrentProcess(), 0x22, &execute_data, sizeof execute_data), 0);
        const foreign_hook hook{c.shape, c.then != stays, host_address::player_vehicle, c.made};
        std::optional<foreign_plugin> other;
        void* page = nullptr;
        if (!c.on_top) {
            other.emplace(shared.site, hook);
            page = reinterpret_cast<void*>(call_target(shared.site));
        }
        load();
        sim::run_event_site(sim::event_site::init);
        if (c.on_top) {
            other.emplace(shared.site, hook);
            page = reinterpret_cast<void*>(call_target(shared.site));
        }
        const auto briefly = [&](auto event) {
            DWORD was = 0;
            VirtualProtect(page, 1, c.briefly, &was);
            event();
            MEMORY_BASIC_INFORMATION region{};
            VirtualQuery(page, &region, sizeof region);
            EXPECT_EQ(region.Protect, c.briefly) << "a guard page touched";
            VirtualProtect(page, 1, c.made, &was);
        };
        const auto pass = [&](bool module, bool through_other) {
            const std::uint32_t before = through_other ? other->passes() : 0;
            expect_a_pass(shared, module);
            const std::uint32_t passes = through_other ? other->passes() : 0;
            EXPECT_EQ(passes, before + through_other);
            return passes == before + through_other;
        };
        briefly([] { sim::run_event_site(sim::event_site::init); });
        new_games_dropping += !pass(true, true);
        if (c.then == stays) {
            briefly([this] { unload(); });
            unloads_writing_over += !pass(false, true);
            ++unloads;
        } else {
            other.reset(); // finds the module's call at the site, and leaves it
            if (c.then == leaves_then_new_game) {
                sim::run_event_site(sim::event_site::init);
                pass(true, false);
            }
            unload();
            pass(false, false);
            EXPECT_TRUE(sim::changed_code_bytes().empty());
        }
        other.reset();
        sim::restore_code();
    }
    std::printf(
        "a live plug-in beside the module: %d of %zu new games dropped it, %d of %d unloads "
        "wrote over its call\n",
        new_games_dropping, cases.size(), unloads_writing_over, unloads);
}
