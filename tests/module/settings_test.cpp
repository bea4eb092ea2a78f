// The settings file beside the real module: read when the host starts a game,
// and the toggle key, pressed through the module's own import of
// GetAsyncKeyState.
#include "module_fixture.hpp"
#include "simhost/import_tap.hpp"

#include <fstream>
#include <string>

using sim::host_fn;

namespace {

constexpr char settings_file[] = "speedometer.ini"; // beside speedometer.dll

bool key_down = false;
int key_polls = 0;

SHORT WINAPI fake_key_state(int key) {
    ++key_polls;
    return key == 'H' && key_down ? static_cast<SHORT>(0x8000) : 0;
}

class module_settings : public module_test {
  protected:
    void SetUp() override {
        module_test::SetUp();
        DeleteFileA(settings_file);
        load();
        key_down = false;
        key_polls = 0;
        ASSERT_NE(tap_import(module_, "USER32.dll", "GetAsyncKeyState",
                             reinterpret_cast<void*>(&fake_key_state)),
                  nullptr);
    }
    void TearDown() override {
        module_test::TearDown();
        DeleteFileA(settings_file);
    }

    static void write_settings(const char* text) {
        std::ofstream(settings_file, std::ios::binary) << text;
    }
    static std::size_t renders_in_a_frame() {
        sim::clear_calls();
        sim::run_event_site(sim::event_site::draw);
        return sim::count_of(host_fn::render_2d);
    }
    static float text_x_after_shift() {
        sim::clear_calls();
        sim::run_text_site(sim::text_site::a, 1500.0f, 10.0f, 0);
        const auto calls = sim::calls_of(host_fn::hud_text_a);
        return calls.empty() ? -1.0f : calls[0].float_arg(0);
    }
};

TEST_F(module_settings, are_read_at_each_init_not_at_load) {
    write_settings("[speedometer]\nhud_text_shift = off\n");
    sim::run_event_site(sim::event_site::init);
    for (std::uint32_t site : text_sites()) {
        EXPECT_FALSE(reaches_module(site)) << std::hex << site;
    }
    write_settings("[speedometer]\nscale = 2\n");
    sim::run_event_site(sim::event_site::shutdown);
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    EXPECT_EQ(text_x_after_shift(), 1500.0f - 710.0f);
    EXPECT_EQ(key_polls, 0) << "no toggle key, no key look-ups";
}

TEST_F(module_settings, the_toggle_key_hides_and_shows_on_each_press) {
    write_settings("[speedometer]\ntoggle_key = H\n");
    sim::run_event_site(sim::event_site::init);
    enter_vehicle(0.5f);
    const struct {
        bool down;
        bool shown;
    } frames[] = {{false, true}, {true, false}, {true, false}, {false, false},
                  {true, true},  {true, true},  {false, true}};
    for (const auto& f : frames) {
        key_down = f.down;
        const std::size_t renders = renders_in_a_frame();
        if (f.shown) {
            EXPECT_EQ(renders, 9u);
            EXPECT_EQ(text_x_after_shift(), 1500.0f - 355.0f);
        } else {
            ASSERT_EQ(sim::calls().size(), 1u) << "a hidden frame calls only the host's callee";
            EXPECT_EQ(sim::calls()[0].fn, host_fn::draw_callee);
            EXPECT_EQ(text_x_after_shift(), 1500.0f);
        }
    }
    EXPECT_EQ(key_polls, 7);

    // A new game starts shown.
    key_down = true;
    renders_in_a_frame();
    sim::run_event_site(sim::event_site::init);
    key_down = false;
    EXPECT_EQ(renders_in_a_frame(), 9u);
}

} // namespace
