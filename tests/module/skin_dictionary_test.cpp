// A skin in the settings chooses the dictionary a new game loads; when the
// host cannot load it, the game steps down to the shipped artwork, keeping
// the player's units as long as any mph face is there, one log line a step.
#include "module_fixture.hpp"

#include "assets/texture_dictionary.hpp"
#include "support/test_atlas.hpp"

using sim::host_fn;

namespace {

constexpr char shipped_kmh[] = "assets/models/speedometer.txd";
constexpr char shipped_mph[] = "assets/models/speedometer_mph.txd";
constexpr char carbon[] = "assets/models/speedometer_carbon.txd";
constexpr char carbon_mph[] = "assets/models/speedometer_carbon_mph.txd";

class skin_dictionary : public module_test {
  protected:
    void TearDown() override {
        module_test::TearDown();
        DeleteFileA(carbon);
        DeleteFileA(carbon_mph);
        place(shipped_kmh, atlas);
        place(shipped_mph, atlas);
    }
    // What a dictionary file holds; a dictionary without a texture loads.
    enum content : std::uint8_t { none, atlas, empty };
    static void place(const char* path, content c) {
        if (c == none) {
            DeleteFileA(path);
        } else if (c == atlas) {
            ASSERT_TRUE(txd::write_file(path, {make_test_atlas_image()}));
        } else {
            ASSERT_TRUE(txd::write_file(path, {}));
        }
    }
    static std::vector<std::string> loads() {
        std::vector<std::string> paths;
        for (const auto& call : sim::calls_of(host_fn::load_txd)) {
            paths.push_back(call.text_arg(0));
        }
        return paths;
    }
};

TEST_F(skin_dictionary, steps_down_to_the_shipped_artwork_logging_each_step_once) {
    const std::string skin_kmh = "models\\speedometer_carbon.txd";
    const std::string skin_mph = "models\\speedometer_carbon_mph.txd";
    const std::string kmh = "models\\speedometer.txd";
    const std::string mph = "models\\speedometer_mph.txd";
    const std::string missing = " could not be loaded; ";
    const std::string blank = " holds no texture; ";
    const std::string to_shipped = "trying the shipped artwork\r";
    const std::string to_mph = "trying the shipped mph artwork\r";
    const std::string to_kmh = "trying the shipped km/h artwork, which shows the speed in km/h\r";
    const char* const in_mph = "skin = carbon\nunits = mph";
    const struct {
        const char* settings;
        content carbon, carbon_mph, shipped_mph; // dictionaries in place
        std::vector<std::string> loads;          // the last one is drawn from
        std::vector<std::string> log;
    } cases[] = {
        {"skin = Carbon", atlas, none, atlas, {skin_kmh}, {}},
        {in_mph, none, atlas, atlas, {skin_mph}, {}},
        {"skin = carbon", none, atlas, atlas, {skin_kmh, kmh}, {skin_kmh + missing + to_shipped}},
        {"skin = carbon", empty, atlas, atlas, {skin_kmh, kmh}, {skin_kmh + blank + to_shipped}},
        // A skin without an mph face: the shipped mph one, not the skin in km/h.
        {in_mph, atlas, none, atlas, {skin_mph, mph}, {skin_mph + missing + to_mph}},
        {in_mph,
         atlas,
         none,
         none,
         {skin_mph, mph, kmh},
         {skin_mph + missing + to_mph, mph + missing + to_kmh}},
        {in_mph,
         atlas,
         empty,
         empty,
         {skin_mph, mph, kmh},
         {skin_mph + blank + to_mph, mph + blank + to_kmh}},
        // Refused names never reach the host.
        {"skin = ..\\carbon", atlas, atlas, atlas, {kmh}, {}},
        {"skin = carbon_mph", atlas, atlas, atlas, {kmh}, {}},
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
            EXPECT_EQ(loads(), c.loads) << "game " << game;
            const auto last = sim::calls_of(host_fn::load_txd).back();
            EXPECT_NE(last.result, 0u);
            // Each dictionary without a texture is handed back at once.
            const auto textures = sim::calls_of(host_fn::txd_texture);
            ASSERT_FALSE(textures.empty());
            EXPECT_EQ(textures.back().args[0], last.result);
            EXPECT_NE(textures.back().result, 0u);
            EXPECT_EQ(sim::count_of(host_fn::release_txd), textures.size() - 1);
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

TEST_F(skin_dictionary, a_skin_failing_again_after_it_loaded_is_told_again) {
    write_settings_lines("skin = carbon");
    load();
    for (const content c : {none, atlas, none}) {
        place(carbon, c);
        sim::run_event_site(sim::event_site::init);
        sim::run_event_site(sim::event_site::shutdown);
    }
    EXPECT_EQ(log_lines().size(), 2u);
}

TEST_F(skin_dictionary, without_the_shipped_artwork_the_log_says_what_to_copy_once_a_run) {
    const struct {
        content shipped;
        std::vector<host_fn> calls; // of the dictionary's, at each init
        const char* why;
    } cases[] = {
        {none, {host_fn::load_txd}, " could not be loaded,"},
        {empty, {host_fn::load_txd, host_fn::txd_texture}, " holds no texture,"},
    };
    for (const auto& c : cases) {
        place(shipped_kmh, c.shipped);
        load();
        for (int game = 0; game < 2; ++game) {
            sim::clear_calls();
            sim::run_event_site(sim::event_site::init);
            std::vector<host_fn> calls;
            for (const auto& call : sim::calls()) {
                if (call.fn == host_fn::load_txd || call.fn == host_fn::txd_texture) {
                    calls.push_back(call.fn);
                }
            }
            EXPECT_EQ(calls, c.calls);
            sim::run_event_site(sim::event_site::shutdown);
        }
        unload();
        EXPECT_EQ(log_lines(), std::vector<std::string>{
                                   std::string("models\\speedometer.txd") + c.why +
                                   " so no gauge is drawn: copy the package's models folder, "
                                   "with all its files, into the game's folder\r"});
        DeleteFileA("speedometer.log");
    }
}

} // namespace
