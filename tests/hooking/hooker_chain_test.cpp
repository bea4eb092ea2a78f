// Taking host call sites over with hookers, the chain a host call runs, and
// giving the sites back. Each test works on scratch sites of its own, since a
// site's manager lives until the program ends.
#include "chain_trace.hpp"
#include "heap_watch.hpp"
#include "scratch_sites.hpp"

#include "injector/hooking.hpp"
#include "injector/host_version.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

using scratch::address_of;
using scratch::call_at;

namespace {

template <int N> using hooker_at = injector::function_hooker<call_at(N), void*()>;
template <int N> using manager_at = typename hooker_at<N>::manager_type;

void* as_pointer(std::uint32_t value) {
    return reinterpret_cast<void*>(value);
}

// A callback that leaves its letter in the trace and runs the rest of the chain.
injector::hook_callback passing(char letter) {
    return [letter](std::function<void*()> next) {
        chain_trace += letter;
        return next();
    };
}

// A callback that leaves its letter and answers the host itself.
injector::hook_callback answering(char letter, std::uint32_t value) {
    return [letter, value](std::function<void*()>) {
        chain_trace += letter;
        return as_pointer(value);
    };
}

template <int N> bool leads_to_thunk() {
    return scratch::final_destination(call_at(N)) == address_of(&manager_at<N>::entry_thunk);
}

template <int N> scratch::bytes site_bytes(std::uint32_t size = 5) {
    return scratch::read(call_at(N), size);
}

class hooker_chain : public ::testing::Test {
  protected:
    void SetUp() override {
        chain_trace.clear();
        scratch::first_log = {};
        scratch::second_log = {};
    }
};

} // namespace

TEST_F(hooker_chain, the_first_hooker_takes_the_site_over_and_the_host_gets_the_callees_result) {
    scratch::write_function(1, address_of(&scratch::first_callee));
    const scratch::bytes host_call = site_bytes<1>();
    injector::reset_host_version_for_testing();
    const std::uint32_t header_reads = injector::host_header_reads();

    hooker_at<1> hooker{passing('A')};
    const auto& manager = *hooker.manager;

    EXPECT_EQ(injector::host_header_reads(), header_reads + 1)
        << "the host build was not asked for";
    EXPECT_TRUE(hooker.attached);
    EXPECT_TRUE(manager.hooked);
    EXPECT_TRUE(manager.holds_backup());
    EXPECT_EQ(manager.backup_address(), call_at(1));
    EXPECT_EQ(scratch::bytes(manager.saved(), manager.saved() + 5), host_call);
    EXPECT_EQ(manager.original_callee, &scratch::first_callee);
    EXPECT_TRUE(leads_to_thunk<1>());
    ASSERT_EQ(manager.entries.size(), 1u);
    EXPECT_EQ(manager.entries.front().owner, &hooker);

    for (std::uint32_t result : {0u, 0xFFFFFFFFu, 0x12345678u}) {
        scratch::first_log.result = result;
        EXPECT_EQ(scratch::run(1), result);
    }
    EXPECT_EQ(scratch::first_log.calls, 3u);
    EXPECT_EQ(chain_trace, "AoAoAo");
}

TEST_F(hooker_chain, the_hooker_registered_last_runs_first_and_the_original_runs_last) {
    scratch::write_function(2, address_of(&scratch::first_callee));
    scratch::first_log.result = 42;
    hooker_at<2> a{passing('A')};
    hooker_at<2> b{passing('B')};
    EXPECT_EQ(scratch::run(2), 42u);
    EXPECT_EQ(chain_trace, "BAo");

    chain_trace.clear();
    hooker_at<2> c{passing('C')};
    EXPECT_EQ(scratch::run(2), 42u);
    EXPECT_EQ(chain_trace, "CBAo");
    EXPECT_EQ(scratch::first_log.calls, 2u);
}

TEST_F(hooker_chain, a_callback_that_does_not_call_next_answers_the_host_itself) {
    scratch::write_function(3, address_of(&scratch::first_callee));
    {
        hooker_at<3> only{answering('X', 0)};
        EXPECT_EQ(scratch::run(3), 0u);
        EXPECT_EQ(chain_trace, "X");
    }
    chain_trace.clear();
    hooker_at<3> a{passing('A')};
    hooker_at<3> b{answering('B', 77)};
    EXPECT_EQ(scratch::run(3), 77u);
    EXPECT_EQ(chain_trace, "B");
    EXPECT_EQ(scratch::first_log.calls, 0u);
}

TEST_F(hooker_chain, attaching_again_replaces_the_callback_in_place_and_leaves_the_host_alone) {
    scratch::write_function(4, address_of(&scratch::first_callee));
    const scratch::bytes host_call = site_bytes<4>();
    hooker_at<4> a{passing('A')};
    hooker_at<4> b{passing('B')};
    const auto& manager = *a.manager;
    const scratch::bytes own_call = site_bytes<4>();

    // Were the site read or written again, this stand-in would show it.
    const scratch::bytes stand_in =
        scratch::call_bytes(call_at(4), address_of(&scratch::second_callee));
    scratch::write_site(4, stand_in);
    a.attach(passing('a'));
    EXPECT_EQ(site_bytes<4>(), stand_in);
    EXPECT_EQ(manager.original_callee, &scratch::first_callee);
    EXPECT_EQ(scratch::bytes(manager.saved(), manager.saved() + 5), host_call);
    ASSERT_EQ(manager.entries.size(), 2u);
    EXPECT_EQ(manager.entries.front().owner, &a);

    scratch::write_site(4, own_call);
    scratch::run(4);
    EXPECT_EQ(chain_trace, "Bao");
}

TEST_F(hooker_chain, a_copy_takes_the_entry_over_at_the_back_and_the_source_leaves_the_site_alone) {
    scratch::write_function(5, address_of(&scratch::first_callee));
    const scratch::bytes host_call = site_bytes<5>();
    auto a = std::make_unique<hooker_at<5>>(passing('A'));
    auto b = std::make_unique<hooker_at<5>>(passing('B'));
    auto copy = std::make_unique<hooker_at<5>>(*a);
    const auto& manager = *copy->manager;

    EXPECT_EQ(copy->manager, a->manager);
    EXPECT_TRUE(copy->attached);
    ASSERT_EQ(manager.entries.size(), 2u);
    EXPECT_EQ(manager.entries.front().owner, b.get());
    EXPECT_EQ(manager.entries.back().owner, copy.get());
    scratch::run(5);
    EXPECT_EQ(chain_trace, "ABo");

    a.reset();
    EXPECT_EQ(manager.entries.size(), 2u);
    b.reset();
    EXPECT_TRUE(manager.hooked);
    EXPECT_TRUE(leads_to_thunk<5>());
    copy.reset();
    EXPECT_FALSE(manager.hooked);
    EXPECT_EQ(site_bytes<5>(), host_call);
}

TEST_F(hooker_chain, the_last_hooker_gives_the_bytes_back_and_a_new_one_reads_the_site_afresh) {
    scratch::write_function(6, address_of(&scratch::first_callee));
    const scratch::bytes first_call = site_bytes<6>();
    const auto manager = manager_at<6>::instance();
    { hooker_at<6> only{passing('A')}; }

    EXPECT_EQ(site_bytes<6>(), first_call);
    EXPECT_FALSE(manager->hooked);
    EXPECT_FALSE(manager->holds_backup());
    EXPECT_TRUE(manager->entries.empty());

    scratch::write_function(6, address_of(&scratch::second_callee));
    const scratch::bytes second_call = site_bytes<6>();
    {
        hooker_at<6> again{passing('B')};
        EXPECT_EQ(manager->original_callee, &scratch::second_callee);
        EXPECT_EQ(scratch::bytes(manager->saved(), manager->saved() + 5), second_call);
        scratch::run(6);
        EXPECT_EQ(chain_trace, "Bo");
        EXPECT_EQ(scratch::second_log.calls, 1u);
        EXPECT_EQ(scratch::first_log.calls, 0u);
    }
    EXPECT_EQ(site_bytes<6>(), second_call);
}

TEST_F(hooker_chain, a_hooker_without_an_entry_changes_nothing) {
    scratch::write_function(7, address_of(&scratch::first_callee));
    const scratch::bytes host_call = site_bytes<7>();
    auto kept = std::make_unique<hooker_at<7>>(passing('K'));
    auto left = std::make_unique<hooker_at<7>>(passing('L'));
    const auto manager = kept->manager;

    left->restore_bytes();
    EXPECT_FALSE(left->attached);
    left->restore_bytes();
    left.reset();
    EXPECT_TRUE(manager->hooked);
    ASSERT_EQ(manager->entries.size(), 1u);
    scratch::run(7);
    EXPECT_EQ(chain_trace, "Ko");

    // The manager lets go of every entry without telling the hookers.
    manager->restore_bytes();
    EXPECT_FALSE(manager->hooked);
    EXPECT_TRUE(manager->entries.empty());
    EXPECT_EQ(site_bytes<7>(), host_call);
    manager->restore_bytes();
    kept.reset();
    EXPECT_EQ(site_bytes<7>(), host_call);
    EXPECT_FALSE(manager->hooked);
}

TEST_F(hooker_chain, the_entry_thunk_without_entries_calls_the_original_callee) {
    scratch::write_function(8, address_of(&scratch::first_callee));
    { hooker_at<8> gone{passing('A')}; }
    scratch::first_log.result = 0xFFFFFFFFu;
    EXPECT_EQ(manager_at<8>::entry_thunk(), as_pointer(0xFFFFFFFFu));
    EXPECT_EQ(scratch::first_log.calls, 1u);
    EXPECT_EQ(chain_trace, "o");

    // A site never taken over has no callee to call.
    scratch::write_function(9, address_of(&scratch::first_callee));
    scratch::write_site(9, {0x90, 0x90, 0x90, 0x90, 0x90});
    hooker_at<9> idle{passing('B')};
    idle.restore_bytes();
    EXPECT_EQ(manager_at<9>::entry_thunk(), nullptr);
    EXPECT_EQ(chain_trace, "o");
}

namespace {

template <int N> void expect_left_to_the_host(const scratch::bytes& instruction) {
    scratch::write_function(N, address_of(&scratch::first_callee));
    scratch::write_site(N, instruction);
    const scratch::bytes host_code = site_bytes<N>(6);
    {
        hooker_at<N> hooker{passing('A')};
        const auto& manager = *hooker.manager;
        EXPECT_EQ(site_bytes<N>(6), host_code);
        EXPECT_FALSE(manager.hooked);
        EXPECT_FALSE(manager.holds_backup());
        EXPECT_EQ(manager.original_callee, nullptr);
        EXPECT_EQ(manager.entries.size(), 1u);
        hooker.attach(passing('B'));
        EXPECT_EQ(site_bytes<N>(6), host_code);
        // Reached anyway, the chain finds no callee to end in.
        chain_trace.clear();
        EXPECT_EQ(manager_at<N>::entry_thunk(), nullptr);
        EXPECT_EQ(chain_trace, "B");
    }
    EXPECT_EQ(site_bytes<N>(6), host_code);
}

} // namespace

TEST_F(hooker_chain, a_site_that_holds_no_plain_call_stays_the_hosts) {
    expect_left_to_the_host<10>({0x90, 0x90, 0x90, 0x90, 0x90});
    expect_left_to_the_host<11>({0xEB, 0x03}); // short jump

    // A jump would not come back to the host's next instruction.
    scratch::bytes jump = scratch::call_bytes(call_at(12), address_of(&scratch::first_callee));
    jump[0] = 0xE9;
    expect_left_to_the_host<12>(jump);

    // An indirect call is six bytes long: a call in its first five would
    // leave the sixth to run as code.
    static void* (*callee_pointer)() = &scratch::first_callee;
    scratch::bytes indirect_call = {0xFF, 0x15, 0, 0, 0, 0};
    const std::uint32_t pointer_address = address_of(&callee_pointer);
    std::memcpy(&indirect_call[2], &pointer_address, 4);
    expect_left_to_the_host<13>(indirect_call);

    // A relative call to address 0 has no callee.
    expect_left_to_the_host<14>(scratch::call_bytes(call_at(14), 0));
    EXPECT_EQ(scratch::first_log.calls, 0u);
}

TEST_F(hooker_chain, a_host_call_with_one_entry_allocates_nothing) {
    scratch::write_function(15, address_of(&scratch::first_callee));
    // Too large for the function wrapper's own storage: a copy would allocate.
    const std::array<char, 32> letters = {'A'};
    hooker_at<15> hooker{[letters](std::function<void*()> next) {
        chain_trace += letters[0];
        return next();
    }};
    scratch::run(15);
    const std::uint64_t before = heap_watch::allocations();
    scratch::run(15);
    scratch::run(15);
    EXPECT_EQ(heap_watch::allocations(), before);
    EXPECT_EQ(chain_trace, "AoAoAo");
}

TEST_F(hooker_chain, callbacks_run_safely_on_the_hosts_four_byte_aligned_stack) {
    scratch::write_function(16, address_of(&scratch::first_callee));
    scratch::first_log.result = 5;
    std::uint32_t misaligned_blocks = 0;
    auto aligned_work = [&misaligned_blocks](std::function<void*()> next) {
        alignas(16) volatile float block[4] = {1.5f, 2.5f, 3.5f, 4.5f};
        misaligned_blocks += reinterpret_cast<std::uintptr_t>(block) % 16 != 0;
        const float sum = block[0] + block[1] + block[2] + block[3];
        return static_cast<char*>(next()) + static_cast<int>(sum);
    };
    hooker_at<16> a{aligned_work};
    hooker_at<16> b{aligned_work};
    EXPECT_EQ(scratch::run(16), 5u + 12u + 12u);
    EXPECT_EQ(misaligned_blocks, 0u);
}
