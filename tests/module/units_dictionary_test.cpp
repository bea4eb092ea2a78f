// The settings' units choose the dictionary a new game loads: the mph atlas
// differs from the km/h one only in its dial face, at the same place.
#include "module_fixture.hpp"

#include "assets/texture_dictionary.hpp"
#include "support/test_atlas.hpp"

using sim::host_fn;

namespace {

// The module tests' game folder has the mph dictionary, as the package does.
class units_dictionary : public module_test {};

TEST_F(units_dictionary, a_game_loads_draws_from_and_releases_the_dictionary_of_its_units) {
    const struct {
        const char* settings;
        const char* path;
    } cases[] = {
        {"units = kmh", "models\\speedometer.txd"},
        {"units = mph", "models\\speedometer_mph.txd"},
    };
    load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        write_settings_lines(c.settings);
        sim::clear_calls();
        sim::run_event_site(sim::event_site::init);
        const auto loads = sim::calls_of(host_fn::load_txd);
        const auto textures = sim::calls_of(host_fn::txd_texture);
        ASSERT_EQ(loads.size(), 1u);
        ASSERT_EQ(textures.size(), 1u);
        EXPECT_EQ(loads[0].text_arg(0), c.path);

        enter_vehicle(0.5f);
        sim::clear_calls();
        sim::run_event_site(sim::event_site::draw);
        const auto states = sim::calls_of(host_fn::set_render_state);
        ASSERT_FALSE(states.empty());
        EXPECT_EQ(states[0].args[1], *reinterpret_cast<const std::uint32_t*>(
                                         static_cast<std::uintptr_t>(textures[0].result)));

        sim::clear_calls();
        sim::run_event_site(sim::event_site::shutdown);
        const auto releases = sim::calls_of(host_fn::release_txd);
        ASSERT_EQ(releases.size(), 1u);
        EXPECT_EQ(releases[0].args[0], loads[0].result);
    }
}

TEST_F(units_dictionary, without_the_mph_dictionary_a_game_shows_kmh_and_the_log_says_so_once) {
    DeleteFileA("models/speedometer_mph.txd");
    write_settings_lines("units = mph");
    load();
    for (int game = 0; game < 2; ++game) {
        sim::clear_calls();
        sim::run_event_site(sim::event_site::init);
        const auto loads = sim::calls_of(host_fn::load_txd);
        ASSERT_EQ(loads.size(), 1u); // a missing file is not handed to the host
        EXPECT_EQ(loads[0].text_arg(0), "models\\speedometer.txd");
        EXPECT_NE(loads[0].result, 0u);
    }
    EXPECT_EQ(log_lines(),
              std::vector<std::string>{"models\\speedometer_mph.txd is missing; trying the "
                                       "shipped km/h artwork, which shows the speed in km/h\r"});

    // The number too: the frame is the one a km/h game draws.
    enter_vehicle(0.5f);
    const auto drawn = [] {
        sim::clear_calls();
        sim::run_event_site(sim::event_site::draw);
        std::vector<float> places; // x and u of every vertex
        for (const auto& batch : sim::render_batches()) {
            for (const auto& vertex : batch.vertices) {
                places.insert(places.end(), {vertex.x, vertex.u});
            }
        }
        return places;
    };
    const auto fallback = drawn();
    ASSERT_FALSE(fallback.empty());
    write_settings_lines("units = kmh");
    sim::run_event_site(sim::event_site::init);
    EXPECT_EQ(fallback, drawn());
    ASSERT_TRUE(txd::write_file("models/speedometer_mph.txd", {make_test_atlas_image()}));
}

} // namespace
