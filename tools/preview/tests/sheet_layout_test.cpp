// What the sheet shows and where it goes: the rows for the faces given, the
// speeds the readouts show, and the sheet's folder.
#include "sheet_caption.hpp"
#include "sheet_layout.hpp"
#include "sheet_place.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace {

// Each face's rows, in its units, and every glyph of its atlas among its
// cells: each digit in the tens and units places, the hundreds the dial
// reaches, status digits 0 to 9; below the caption.
TEST(preview_sheet, draws_each_face_given_in_its_own_units_and_every_glyph) {
    const struct {
        bool kmh, mph;
        int mph_rows, rows;
    } cases[] = {{true, false, 0, 5}, {true, true, 3, 8}, {false, true, 5, 5}};
    for (const auto& c : cases) {
        int mph_rows = 0, rows = 0;
        std::set<int> places[2][3], statuses[2];
        for (const auto& row : preview::sheet_rows(c.kmh, c.mph)) {
            ++rows;
            mph_rows += row.mph;
            EXPECT_EQ(row.settings.find("units = mph") != std::string::npos, row.mph);
            EXPECT_TRUE(row.title.ends_with(row.mph ? "mph face" : "km/h face")) << row.title;
            for (const auto& s : row.shots) {
                const int shown =
                    s.readout == preview::top_speed ? (row.mph ? 130 : 210) : s.readout;
                for (int place = 0, value = shown; place < 3; ++place, value /= 10)
                    places[row.mph][place].insert(value % 10);
                statuses[row.mph].insert(s.status);
            }
        }
        EXPECT_EQ(mph_rows, c.mph_rows);
        EXPECT_EQ(rows, c.rows);
        // The caption keeps its room above the first row's title.
        EXPECT_GE(preview::lay_out(preview::sheet_rows(c.kmh, c.mph)).cells.front().y,
                  preview::gap + preview::caption_lines * preview::caption_line_height +
                      preview::row_title_height + preview::cell_label_height);
        using sizes = std::vector<std::size_t>;
        for (const bool mph : {false, true})
            EXPECT_EQ(
                (sizes{places[mph][0].size(), places[mph][1].size(), places[mph][2].size(),
                       statuses[mph].size()}),
                ((mph ? c.mph : c.kmh) ? sizes{10, 10, mph ? 2u : 3u, 10} : sizes{0, 0, 0, 0}))
                << "units, tens, hundreds, status; mph " << mph;
    }
}

// The module's readout is the host's speed times 175 (108.73996 in mph),
// cut to a whole number.
TEST(preview_sheet, asks_the_host_for_a_speed_the_readout_shows_whole) {
    for (const bool mph : {false, true}) {
        for (int readout = 1; readout < (mph ? 130 : 210); ++readout)
            EXPECT_EQ(
                static_cast<int>(preview::host_speed(readout, mph) * (mph ? 108.73996f : 175.0f)),
                readout);
        EXPECT_EQ(preview::host_speed(0, mph), 0.0f);
    }
}

// Faces go by their names: a skin's km/h and mph one, never two of one
// face or of two skins; the shipped artwork's files pair as a skin's do.
TEST(preview_sheet, pairs_a_skins_faces_by_their_names) {
    const struct {
        std::vector<std::filesystem::path> given;
        const char* refused; // empty: drawn
        bool kmh, mph;
    } cases[] = {
        {{"speedometer_a.txd", "speedometer_a_mph.txd"}, "", true, true},
        {{"speedometer_a.txd", "speedometer_b.txd"}, "both are km/h", false, false},
        {{"speedometer_a.txd", "speedometer_b_mph.txd"}, "belong to two skins", false, false},
        {{"shipped_faces/speedometer_mph.txd"}, "", false, true},
        {{"shipped_faces/Speedometer.txd"}, "", true, false},
    };
    for (const auto& c : cases) {
        const auto pair = preview::pair_dictionaries(c.given);
        EXPECT_NE(pair.refusal.find(c.refused), std::string::npos) << pair.refusal;
        EXPECT_EQ(pair.refusal.empty(), *c.refused == 0) << pair.refusal;
        EXPECT_EQ(pair.kmh.has_value(), c.kmh) << c.given.front();
        EXPECT_EQ(pair.mph.has_value(), c.mph) << c.given.front();
    }
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
        {nullptr, "game/models/models", "game/speedometer_carbon_preview.png"},
        {"game/models/carbon.png", "kit", "game/speedometer_carbon_preview.png"},
        {"game/models/mine/carbon.png", "kit", "game/speedometer_carbon_preview.png"},
        {nullptr, "game/MODELS/mine/models", "game/speedometer_carbon_preview.png"},
        {nullptr, "game/models_old/mine", "game/models_old/mine/speedometer_carbon_preview.png"},
    };
    for (const auto& c : cases) {
        const auto png = c.png ? std::optional<fs::path>(c.png) : std::nullopt;
        EXPECT_EQ(preview::default_sheet("carbon", png, c.started_in), fs::path(c.sheet))
            << c.started_in;
    }
    EXPECT_EQ(preview::default_sheet("", std::nullopt, "kit"),
              fs::path("kit/speedometer_preview.png"));
    // Told from where the command was started: the folder above by "..".
    fs::create_directories("sheet_place/models");
    const fs::path started = fs::current_path();
    fs::current_path("sheet_place/models");
    const fs::path above = preview::sheet_from_here("carbon", fs::path("carbon.png"));
    fs::current_path(started);
    EXPECT_EQ(above, fs::path("..") / "speedometer_carbon_preview.png");
}

// The file's name alone, and the time it was saved in local time: the test
// runs 5:30 east of UTC (TZ in its CMakeLists.txt).
TEST(preview_sheet, names_the_skin_its_files_and_the_module) {
    std::filesystem::create_directories("caption_folder");
    std::ofstream("caption_folder/speedometer_carbon.txd") << "a face";
    SYSTEMTIME utc{2024, 1, 0, 2, 3, 4, 5, 0};
    FILETIME written{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &written));
    const HANDLE file = CreateFileW(L"caption_folder\\speedometer_carbon.txd",
                                    FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
    const auto lines = preview::sheet_caption(
        {"carbon", "caption_folder/speedometer_carbon.txd", {}, "", ""}, "1.2.3");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "skin = carbon, drawn by speedometer.asi 1.2.3");
    EXPECT_EQ(lines[1], "km/h face: speedometer_carbon.txd, saved 2024-01-02 08:34:05");
    EXPECT_EQ(lines[2], "mph face: none, so the game shows the shipped one");
}

} // namespace
