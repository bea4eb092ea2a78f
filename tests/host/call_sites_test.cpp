// Executing the host's call sites: the event sites run their original callee
// (or whatever the bytes there call by then), the HUD text sites pass the
// host's three arguments through.
#include "host/addresses.hpp"
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr sim::event_site all_sites[] = {sim::event_site::init, sim::event_site::draw,
                                         sim::event_site::shutdown};

sim::host_fn callee_fn(sim::event_site site) {
    switch (site) {
    case sim::event_site::init:
        return sim::host_fn::init_callee;
    case sim::event_site::draw:
        return sim::host_fn::draw_callee;
    case sim::event_site::shutdown:
        break;
    }
    return sim::host_fn::shutdown_callee;
}

std::uint32_t call_target(std::uint32_t site) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(site);
    std::int32_t displacement;
    std::memcpy(&displacement, bytes + 1, sizeof displacement);
    return site + 5 + static_cast<std::uint32_t>(displacement);
}

// Rewrites a call site the way the module does.
void write_call(std::uint32_t site, const void* target) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(site);
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(bytes, 5, PAGE_EXECUTE_READWRITE, &previous));
    const auto displacement =
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target)) - (site + 5);
    bytes[0] = 0xE8;
    std::memcpy(bytes + 1, &displacement, sizeof displacement);
    VirtualProtect(bytes, 5, previous, &previous);
}

std::uint32_t replacement_calls = 0;

std::uint32_t replacement_callee() {
    ++replacement_calls;
    return 0x12345678;
}

float shift_seen = 0.0f;

// What the module puts at a text site: same signature as the host's function.
std::uint32_t shifted_text(float x, float y, std::uint32_t text) {
    shift_seen = x;
    return host_hud_text_b(x - 100.0f, y, text) + 1;
}

class call_sites : public ::testing::Test {
  protected:
    void SetUp() override { sim::reset_state(); }
    void TearDown() override {
        sim::restore_code();
        EXPECT_TRUE(sim::changed_code_bytes().empty());
    }
};

TEST_F(call_sites, event_sites_call_their_own_original_callee) {
    const std::uint32_t addresses[] = {host_address::init_call_site, host_address::draw_call_site,
                                       host_address::shutdown_call_site};
    for (int i = 0; i < 3; ++i) {
        const sim::event_site site = all_sites[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(sim::site_address(site), addresses[i]);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(addresses[i]);
        EXPECT_EQ(bytes[0], 0xE8);
        EXPECT_EQ(call_target(addresses[i]), sim::callee_address(site));
    }
    EXPECT_NE(sim::callee_address(sim::event_site::init),
              sim::callee_address(sim::event_site::draw));
    EXPECT_NE(sim::callee_address(sim::event_site::draw),
              sim::callee_address(sim::event_site::shutdown));
}

TEST_F(call_sites, running_an_event_site_hands_the_callee_result_back) {
    for (const sim::event_site site : all_sites) {
        SCOPED_TRACE(static_cast<int>(site));
        std::uint32_t runs = 0;
        for (const std::uint32_t value : {0u, 0xFFFFFFFFu, 0x80000000u, 1u}) {
            sim::set_callee_result(site, value);
            EXPECT_EQ(sim::run_event_site(site), value);
            EXPECT_EQ(sim::callee_calls(site), ++runs);
        }
        const auto logged = sim::calls_of(callee_fn(site));
        ASSERT_EQ(logged.size(), 4u);
        EXPECT_EQ(logged[1].result, 0xFFFFFFFFu);
        EXPECT_EQ(logged[1].arg_count, 0);
    }
    EXPECT_EQ(sim::calls().size(), 12u) << "no site ran another site's callee";
}

TEST_F(call_sites, a_rewritten_event_site_runs_the_new_target) {
    sim::set_callee_result(sim::event_site::draw, 5);
    write_call(host_address::draw_call_site, reinterpret_cast<const void*>(&replacement_callee));
    replacement_calls = 0;
    EXPECT_EQ(sim::run_event_site(sim::event_site::draw), 0x12345678u);
    EXPECT_EQ(replacement_calls, 1u);
    EXPECT_EQ(sim::callee_calls(sim::event_site::draw), 0u);

    const auto changed = sim::changed_code_bytes();
    ASSERT_FALSE(changed.empty());
    EXPECT_LE(changed.size(), 4u) << "only the displacement differs";
    for (const std::uint32_t address : changed) {
        EXPECT_GE(address, host_address::draw_call_site + 1);
        EXPECT_LT(address, host_address::draw_call_site + 5);
    }

    sim::restore_code();
    EXPECT_EQ(sim::run_event_site(sim::event_site::draw), 5u);
    EXPECT_EQ(sim::callee_calls(sim::event_site::draw), 1u);
}

TEST_F(call_sites, text_sites_pass_position_and_text_and_return_the_result) {
    const char* text = "Los Santos";
    sim::set_hud_text_result(0xFFFFFFFF);
    EXPECT_EQ(sim::text_site_address(sim::text_site::a), host_address::hud_text_a_call_site);
    EXPECT_EQ(sim::text_site_address(sim::text_site::b), host_address::hud_text_b_call_site);
    EXPECT_EQ(call_target(host_address::hud_text_a_call_site), host_address::hud_text_a);
    EXPECT_EQ(call_target(host_address::hud_text_b_call_site), host_address::hud_text_b);

    EXPECT_EQ(
        sim::run_text_site(sim::text_site::a, 1565.5f, 40.25f,
                           static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(text))),
        0xFFFFFFFFu);
    sim::set_hud_text_result(0x80000000);
    EXPECT_EQ(sim::run_text_site(sim::text_site::b, -3.0f, 0.0f, 77), 0x80000000u);

    const auto a = sim::calls_of(sim::host_fn::hud_text_a);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].float_arg(0), 1565.5f);
    EXPECT_EQ(a[0].float_arg(1), 40.25f);
    EXPECT_EQ(a[0].text_arg(2), "Los Santos");
    const auto b = sim::calls_of(sim::host_fn::hud_text_b);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].float_arg(0), -3.0f);
    EXPECT_EQ(b[0].args[2], 77u);
    EXPECT_EQ(sim::count_of(sim::host_fn::hud_text_b), 1u);
}

TEST_F(call_sites, a_rewritten_text_site_gets_the_host_arguments) {
    write_call(host_address::hud_text_b_call_site, reinterpret_cast<const void*>(&shifted_text));
    sim::set_hud_text_result(41);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(sim::run_text_site(sim::text_site::b, 500.0f, 60.0f, 9), 42u);
    }
    EXPECT_EQ(shift_seen, 500.0f);
    const auto b = sim::calls_of(sim::host_fn::hud_text_b);
    ASSERT_EQ(b.size(), 1000u);
    EXPECT_EQ(b.back().float_arg(0), 400.0f);
    EXPECT_EQ(b.back().float_arg(1), 60.0f);
    EXPECT_EQ(b.back().args[2], 9u);
}

} // namespace
