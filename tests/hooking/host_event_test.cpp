// Host events: the handler lists that dispatch runs around the host's callee,
// and the events at the host's three call sites.
#include "chain_trace.hpp"
#include "heap_watch.hpp"
#include "scratch_sites.hpp"

#include "events/host_event.hpp"
#include "events/host_events.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <type_traits>

using scratch::address_of;

namespace {

handler tracing(char letter) {
    return [letter] { chain_trace += letter; };
}

std::function<void*()> callee_returning(std::uint32_t value) {
    return [value] {
        chain_trace += 'o';
        return reinterpret_cast<void*>(value);
    };
}

class dispatch_test : public ::testing::Test {
  protected:
    void SetUp() override { chain_trace.clear(); }

    event_state state;
    dispatch run{&state};
};

} // namespace

TEST_F(dispatch_test, with_no_handlers_the_callee_runs_once_and_its_result_passes_through) {
    for (std::uint32_t result : {0u, 0xFFFFFFFFu, 0x80000001u}) {
        EXPECT_EQ(run(callee_returning(result)), reinterpret_cast<void*>(result));
    }
    EXPECT_EQ(chain_trace, "ooo");
}

TEST_F(dispatch_test, before_handlers_run_ahead_of_the_callee_and_after_handlers_behind_it) {
    state.before_handlers = {tracing('a'), tracing('b')};
    state.after_handlers = {tracing('y'), tracing('z')};
    EXPECT_EQ(run(callee_returning(9)), reinterpret_cast<void*>(9));
    EXPECT_EQ(chain_trace, "aboyz");
}

TEST_F(dispatch_test, each_call_goes_to_a_fresh_copy_of_the_handler) {
    std::vector<int> seen;
    state.after_handlers.push_back([&seen, count = 0]() mutable { seen.push_back(++count); });
    for (int i = 0; i < 3; ++i) {
        run(callee_returning(0));
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 1}));
}

TEST_F(dispatch_test, an_empty_next_throws_after_the_before_handlers_and_skips_the_after_handlers) {
    state.before_handlers = {tracing('b')};
    state.after_handlers = {tracing('a')};
    EXPECT_THROW(run(std::function<void*()>{}), std::bad_function_call);
    EXPECT_EQ(chain_trace, "b");
}

TEST_F(dispatch_test, an_empty_handler_throws_and_stops_the_run) {
    state.before_handlers = {tracing('b'), handler{}, tracing('c')};
    EXPECT_THROW(run(callee_returning(0)), std::bad_function_call);
    EXPECT_EQ(chain_trace, "b");
}

TEST_F(dispatch_test, a_handler_that_adds_to_its_own_list_only_affects_later_runs) {
    handler_list& list = state.after_handlers;
    list.push_back([&list] {
        chain_trace += 'g';
        // Appended behind the running handler, they wait for the next run.
        for (int i = 0; i < 8; ++i) {
            list.push_back(tracing('n'));
        }
    });
    list.push_back(tracing('s'));
    run(callee_returning(0));
    EXPECT_EQ(chain_trace, "ogs");
    EXPECT_EQ(list.size(), 10u);
}

namespace {

using draw_manager = injector::function_hooker<host_address::draw_call_site, void*()>::manager_type;

std::uint32_t callee_calls_seen = 0;

} // namespace

TEST(host_events, an_after_event_takes_its_site_over_once_and_runs_after_the_host_callee) {
    sim::install();
    const auto host_call = scratch::read(host_address::draw_call_site, 5);

    auto& returned = draw_event.add([] {
        chain_trace += 'h';
        callee_calls_seen = sim::callee_calls(sim::event_site::draw);
    });
    EXPECT_EQ(&returned, &draw_event);

    const auto manager = draw_manager::instance();
    EXPECT_TRUE(manager->hooked);
    EXPECT_EQ(reinterpret_cast<std::uint32_t>(manager->original_callee),
              sim::callee_address(sim::event_site::draw));
    EXPECT_EQ(scratch::final_destination(host_address::draw_call_site),
              address_of(&draw_manager::entry_thunk));

    // A second add must not write the site again: the stand-in stays.
    const auto stand_in =
        scratch::call_bytes(host_address::draw_call_site, address_of(&scratch::second_callee));
    const auto thunk_call = scratch::read(host_address::draw_call_site, 5);
    injector::write_bytes(host_address::draw_call_site, stand_in.data(), 5, true);
    draw_event.add([] { chain_trace += 'i'; });
    EXPECT_EQ(scratch::read(host_address::draw_call_site, 5), stand_in);
    EXPECT_EQ(scratch::bytes(manager->saved(), manager->saved() + 5), host_call);
    injector::write_bytes(host_address::draw_call_site, thunk_call.data(), 5, true);
    EXPECT_EQ(manager->entries.size(), 1u);

    chain_trace.clear();
    const std::uint32_t calls_before = sim::callee_calls(sim::event_site::draw);
    for (std::uint32_t result : {0u, 0xFFFFFFFFu}) {
        sim::set_callee_result(sim::event_site::draw, result);
        EXPECT_EQ(sim::run_event_site(sim::event_site::draw), result);
        EXPECT_EQ(callee_calls_seen, sim::callee_calls(sim::event_site::draw));
    }
    EXPECT_EQ(sim::callee_calls(sim::event_site::draw), calls_before + 2);
    EXPECT_EQ(chain_trace, "hihi");
}

TEST(host_events, a_before_event_runs_its_handlers_ahead_of_the_host_callee) {
    sim::install();
    const std::uint32_t calls_before = sim::callee_calls(sim::event_site::shutdown);
    shutdown_event.add([] { callee_calls_seen = sim::callee_calls(sim::event_site::shutdown); });
    sim::set_callee_result(sim::event_site::shutdown, 0x5A5A5A5A);
    EXPECT_EQ(sim::run_event_site(sim::event_site::shutdown), 0x5A5A5A5Au);
    EXPECT_EQ(callee_calls_seen, calls_before);
    EXPECT_EQ(sim::callee_calls(sim::event_site::shutdown), calls_before + 1);
}

TEST(host_events, init_handlers_run_after_the_host_callee) {
    static_assert(std::is_empty_v<std::remove_cvref_t<decltype(init_event)>>);
    sim::install();
    init_event.add([] { callee_calls_seen = sim::callee_calls(sim::event_site::init); });
    const std::uint32_t calls_before = sim::callee_calls(sim::event_site::init);
    sim::set_callee_result(sim::event_site::init, 1);
    EXPECT_EQ(sim::run_event_site(sim::event_site::init), 1u);
    EXPECT_EQ(callee_calls_seen, calls_before + 1);
}

TEST(host_events, a_failed_installation_is_not_tried_again) {
    using event = host_event<scratch::call_at(40), handler_position::after>;
    scratch::write_function(40, address_of(&scratch::first_callee));
    const auto host_call = scratch::read(scratch::call_at(40), 5);
    event failing;

    heap_watch::fail_allocations(true);
    EXPECT_THROW(failing.add(tracing('x')), std::bad_alloc);
    heap_watch::fail_allocations(false);

    failing.add(tracing('y'));
    EXPECT_EQ(scratch::read(scratch::call_at(40), 5), host_call);
    chain_trace.clear();
    scratch::run(40);
    EXPECT_EQ(chain_trace, "o");
}

TEST(host_events, a_host_call_with_stateless_handlers_allocates_nothing) {
    static int handler_runs = 0;
    scratch::write_function(41, address_of(&scratch::first_callee));
    host_event<scratch::call_at(41), handler_position::after> event;
    event.add([] { ++handler_runs; }).add([] { ++handler_runs; });
    scratch::run(41);
    chain_trace.clear();
    const std::uint64_t before = heap_watch::allocations();
    scratch::run(41);
    scratch::run(41);
    EXPECT_EQ(heap_watch::allocations(), before);
    EXPECT_EQ(handler_runs, 6);
}
