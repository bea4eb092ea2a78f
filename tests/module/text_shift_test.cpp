// The HUD text shift as the host sees it: the host's own call instructions at
// the two text sites, rewritten by the module's init handler.
#include "module_fixture.hpp"

#include <bit>
#include <cstring>

using sim::host_fn;

namespace {

struct shift_case {
    int width;
    int height;
    float shift;
};

class text_shift_test : public module_test {
  protected:
    void SetUp() override {
        module_test::SetUp();
        load();
        sim::run_event_site(sim::event_site::init);
    }

    // x, y and text as the host's text function received them.
    sim::call_record text_call(sim::text_site site, float x, float y, std::uint32_t text) {
        sim::clear_calls();
        sim::set_hud_text_result(0xC0FFEEu);
        EXPECT_EQ(sim::run_text_site(site, x, y, text), 0xC0FFEEu);
        const auto fn = site == sim::text_site::a ? host_fn::hud_text_a : host_fn::hud_text_b;
        const auto calls = sim::calls_of(fn);
        EXPECT_EQ(calls.size(), 1u);
        return calls.empty() ? sim::call_record{} : calls[0];
    }
};

} // namespace

TEST_F(text_shift_test, moves_both_texts_left_by_the_screen_scaled_offset_in_a_vehicle) {
    const shift_case cases[] = {{1920, 1080, 355}, {1280, 720, 236},  {1024, 768, 252},
                                {800, 600, 197},   {3840, 2160, 710}, {1080, 1920, 355},
                                {1600, 1600, 525}};
    enter_vehicle(0.2f, 0, 4); // the kind does not matter for the text
    for (const auto& c : cases) {
        sim::set_screen(c.width, c.height);
        for (auto site : {sim::text_site::a, sim::text_site::b}) {
            const auto call = text_call(site, 1500.25f, 33.5f, 0xABCD1234u);
            EXPECT_EQ(call.float_arg(0), 1500.25f - c.shift) << c.width << "x" << c.height;
            EXPECT_EQ(call.float_arg(1), 33.5f);
            EXPECT_EQ(call.args[2], 0xABCD1234u);
        }
    }
}

TEST_F(text_shift_test, leaves_x_untouched_bit_for_bit_on_foot) {
    sim::clear_vehicle();
    const std::uint32_t patterns[] = {0x80000000u, 0x7FC00001u, 0x44BB8000u, 0x00000001u};
    for (std::uint32_t bits : patterns) {
        for (auto site : {sim::text_site::a, sim::text_site::b}) {
            const auto call = text_call(site, std::bit_cast<float>(bits), 12.0f, 5);
            EXPECT_EQ(call.args[0], bits);
            EXPECT_EQ(call.float_arg(1), 12.0f);
            EXPECT_EQ(call.args[2], 5u);
        }
    }
}

TEST_F(text_shift_test, asks_the_host_for_the_local_player_without_remote_vehicles) {
    sim::clear_vehicle();
    text_call(sim::text_site::a, 10.0f, 10.0f, 0);
    sim::clear_calls();
    sim::run_text_site(sim::text_site::b, 10.0f, 10.0f, 0);
    const auto asks = sim::calls_of(host_fn::player_vehicle);
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].args[0], 0xFFFFFFFFu);
    EXPECT_EQ(asks[0].args[1] & 0xFF, 0u);
}
