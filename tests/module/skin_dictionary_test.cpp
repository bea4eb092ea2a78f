// A skin in the settings chooses the dictionary a new game loads; when the
// host cannot load it, the game steps down to the shipped artwork, keeping
// the player's units as long as any mph face is there, one log line a step.
#include "module_fixture.hpp"

#include "assets/texture_dictionary.hpp"
#include "support/test_atlas.hpp"

using sim::host_fn;

namespace {

constexpr char shipped_mph[] = "assets/models/speedometer_mph.txd";
constexpr char carbon[] = "assets/models/speedometer_carbon.txd";
constexpr char carbon_mph[] = "assets/models/speedometer_carbon_mph.txd";

class skin_dictionary : public module_test {
  protected:
    void TearDown() override {
        module_test::TearDown();
        DeleteFileA(carbon);
        DeleteFileA(carbon_mph);
        ASSERT_TRUE(txd::write_file(shipped_mph, {make_test_atlas_image()}));
    }
    static void place(const char* path, bool present) {
        if (present) {
            ASSERT_TRUE(txd::write_file(path, {make_test_atlas_image()}));
        } else {
            DeleteFileA(path);
        }
    }
};

TEST_F(skin_dictionary, steps_down_to_the_shipped_artwork_logging_each_step_once) {
    const std::string skin_kmh = "models\\speedometer_carbon.txd";
    const std::string skin_mph = "models\\speedometer_carbon_mph.txd";
    const std::string kmh = "models\\speedometer.txd";
    const std::string mph = "models\\speedometer_mph.txd";
    const std::string to_shipped = " could not be loaded; the shipped artwork is used\r";
    const std::string to_mph = " could not be loaded; the shipped mph artwork is used\r";
    const std::string to_kmh = " could not be loaded; the speed is shown in km/h\r";
    const char* const in_mph = "skin = carbon\nunits = mph";
    const struct {
        const char* settings;
        bool carbon, carbon_mph, shipped_mph; // dictionaries in place
        std::vector<std::string> loads;       // the last one is drawn from
        std::vector<std::string> log;
    } cases[] = {
        {"skin = Carbon", true, false, true, {skin_kmh}, {}},
        {in_mph, false, true, true, {skin_mph}, {}},
        {"skin = carbon", false, true, true, {skin_kmh, kmh}, {skin_kmh + to_shipped}},
        // A skin without an mph face: the shipped mph one, not the skin in km/h.
        {in_mph, true, false, true, {skin_mph, mph}, {skin_mph + to_mph}},
        {in_mph, true, false, false, {skin_mph, mph, kmh}, {skin_mph + to_mph, mph + to_kmh}},
        // Refused names never reach the host.
        {"skin = ..\\carbon", true, true, true, {kmh}, {}},
        {"skin = carbon_mph", true, true, true, {kmh}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        place(carbon, c.carbon);
        place(carbon_mph, c.carbon_mph);
        place(shipped_mph, c.shipped_mph);
        write_settings_lines(c.settings);
        load();
        for (int game = 0; game < 2; ++game) {
            sim::clear_calls();
            sim::run_event_site(sim::event_site::init);
            std::vector<std::string> loads;
            for (const auto& call : sim::calls_of(host_fn::load_txd)) {
                loads.push_back(call.text_arg(0));
            }
            EXPECT_EQ(loads, c.loads) << "game " << game;
            const auto last = sim::calls_of(host_fn::load_txd).back();
            EXPECT_NE(last.result, 0u);
            const auto textures = sim::calls_of(host_fn::txd_texture);
            ASSERT_EQ(textures.size(), 1u);
            EXPECT_EQ(textures[0].args[0], last.result);
            sim::run_event_site(sim::event_site::shutdown);
        }
        std::vector<std::string> log = log_lines();
        if (!log.empty() && log[0].find("skin = ") != std::string::npos) {
            log.erase(log.begin()); // the refusal's own line, told in the settings tests
        }
        EXPECT_EQ(log, c.log);
        unload();
        DeleteFileA("speedometer.log");
    }
}

} // namespace
