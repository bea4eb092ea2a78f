// What the sheet shows and where it goes: the rows for the faces given, the
// speeds the readouts show, and the sheet's folder.
#include "sheet_caption.hpp"
#include "sheet_layout.hpp"
#include "sheet_place.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(preview_sheet, draws_each_face_given_in_its_own_units) {
    const struct {
        bool kmh, mph;
        int mph_rows, rows;
    } cases[] = {{true, false, 0, 5}, {true, true, 1, 6}, {false, true, 5, 5}};
    for (const auto& c : cases) {
        int mph_rows = 0, rows = 0;
        for (const auto& row : preview::sheet_rows(c.kmh, c.mph)) {
            ++rows;
            mph_rows += row.mph;
            EXPECT_EQ(row.settings.find("units = mph") != std::string::npos, row.mph);
            EXPECT_TRUE(row.title.ends_with(row.mph ? "mph face" : "km/h face")) << row.title;
        }
        EXPECT_EQ(mph_rows, c.mph_rows);
        EXPECT_EQ(rows, c.rows);
    }
}

// The module's readout is the host's speed times 175, cut to a whole number.
TEST(preview_sheet, asks_the_host_for_a_speed_the_readout_shows_whole) {
    for (int kmh = 1; kmh <= 209; ++kmh)
        EXPECT_EQ(static_cast<int>(preview::host_speed(kmh) * 175.0f), kmh);
    EXPECT_EQ(preview::host_speed(0), 0.0f);
}

TEST(preview_sheet, goes_beside_the_png_or_where_started_never_into_models) {
    namespace fs = std::filesystem;
    const struct {
        const char *png, *started_in, *sheet;
    } cases[] = {
        {"art/carbon.png", "kit", "art/speedometer_carbon_preview.png"},
        {nullptr, "kit", "kit/speedometer_carbon_preview.png"},
        {nullptr, "game/models", "game/speedometer_carbon_preview.png"},
        {nullptr, "game/Models/", "game/speedometer_carbon_preview.png"},
        {"game/models/carbon.png", "kit", "game/speedometer_carbon_preview.png"},
    };
    for (const auto& c : cases) {
        const auto png = c.png ? std::optional<fs::path>(c.png) : std::nullopt;
        EXPECT_EQ(preview::default_sheet("carbon", png, c.started_in), fs::path(c.sheet))
            << c.started_in;
    }
    EXPECT_EQ(preview::default_sheet("", std::nullopt, "kit"),
              fs::path("kit/speedometer_preview.png"));
}

TEST(preview_sheet, names_the_skin_its_files_and_the_module) {
    std::ofstream("speedometer_carbon.txd") << "a face";
    const auto lines =
        preview::sheet_caption({"carbon", "speedometer_carbon.txd", {}, "", ""}, "1.2.3");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "skin = carbon, drawn by speedometer.asi 1.2.3");
    EXPECT_TRUE(lines[1].starts_with("km/h face: speedometer_carbon.txd, saved 20")) << lines[1];
    EXPECT_EQ(lines[2], "mph face: none, so the game shows the shipped one");
}

} // namespace
