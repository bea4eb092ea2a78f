// Opacity: every alpha the frame hands the host, in colour records and in
// vertices, times the player's opacity, halves up; nothing else moves.
#include "display_fixture.hpp"

#include "settings/settings.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/text_shift.hpp"

namespace {

class frame_opacity : public display_test {
  protected:
    void SetUp() override {
        display_test::SetUp();
        use_test_atlas();
        sim::vehicle_state vehicle;
        vehicle.speed[0] = 0.05f; // 8 km/h: two dimmed leading zeros
        sim::set_vehicle(vehicle);
    }
    void TearDown() override {
        active_settings = {};
        display_test::TearDown();
    }
    struct drawn {
        std::vector<quad_draw> quads;
        std::vector<screen_vertex> arc;
    };
    static drawn draw_at(std::uint32_t opacity_millionths) {
        active_settings.opacity_millionths = opacity_millionths;
        sim::clear_calls();
        draw_speedometer();
        return {quad_draws(), sim::render_batches().at(1).vertices};
    }
};

TEST_F(frame_opacity, fades_every_alpha_and_nothing_else) {
    const drawn full = draw_at(1000000);
    ASSERT_EQ(full.quads.size(), 8u);
    // Face, needle, hub, status, status digit, two zeros dimmed to 30, one digit.
    const struct {
        std::uint32_t millionths;
        int opaque; // 255 faded
        int dimmed; // 30 faded
    } cases[] = {
        {100000, 26, 3}, // 25.5 rounds up
        {500000, 128, 15},
        {1000000, 255, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.millionths);
        const drawn faded = draw_at(c.millionths);
        ASSERT_EQ(faded.quads.size(), full.quads.size());
        for (std::size_t i = 0; i < faded.quads.size(); ++i) {
            const host_color& was = full.quads[i].colour;
            expect_colour(faded.quads[i].colour, was.red, was.green, was.blue,
                          i == 5 || i == 6 ? c.dimmed : c.opaque);
            expect_rect(faded.quads[i].rect, full.quads[i].rect.left, full.quads[i].rect.top,
                        full.quads[i].rect.right, full.quads[i].rect.bottom);
        }
        ASSERT_EQ(faded.arc.size(), full.arc.size());
        for (const screen_vertex& v : faded.arc) {
            EXPECT_EQ(v.colour, static_cast<std::uint32_t>(c.opaque) << 24 | 0xFFFFFFu);
        }
    }
    active_settings.opacity_millionths = 500000;
    sim::clear_calls();
    shifted_hud_text_b(1800.0f, 50.0f, 3);
    const auto text = sim::calls_of(sim::host_fn::hud_text_b);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_FLOAT_BITS(text[0].float_arg(0), 1800.0f - 355.0f); // the shift ignores opacity
}

} // namespace
