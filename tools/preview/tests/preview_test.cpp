// The kit's previewer as a skin maker runs it: from a folder named in
// Cyrillic, with a temporary folder and an output path in Chinese, on a
// dictionary of the host's test atlas and on a skin packed with --preview.
// The sheets are looked at as pictures: every cell drawn, and the first the
// game's own frame.
#include "sheet_layout.hpp"
#include "simhost/sim_host.hpp"
#include "support/test_atlas.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kit = fs::current_path() / L"Игра_предпросмотр";
const fs::path temporary = kit / L"临时";

std::vector<unsigned char> file_bytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Runs a kit program from the kit folder, as a console there would.
DWORD run_in_kit(const std::wstring& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + (kit / program).wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, kit.c_str(),
                        &startup, &process))
        return 1000 + GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

// A skin of 512x256: a green disc on the dial face, the rest clear.
void write_green_skin(const fs::path& path) {
    constexpr int width = 512, height = 256;
    std::vector<unsigned char> pixels(width * height * 4, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (std::hypot(x + 0.5 - 72.75, y + 0.5 - 72.75) < 60) {
                const unsigned char ink[] = {40, 200, 120, 255};
                std::copy_n(ink, 4, &pixels[(y * width + x) * 4]);
            }
    ASSERT_TRUE(stbi_write_png("green_skin.png", width, height, 4, pixels.data(), 0));
    ASSERT_TRUE(CopyFileW(L"green_skin.png", path.c_str(), FALSE));
}

class previewer : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::error_code ignored;
        fs::remove_all(kit, ignored);
        fs::create_directories(temporary);
        fs::create_directories(kit / "models");
        for (const char* program : {PREVIEWER, PACKER, MODULE_ASI})
            fs::copy_file(program, kit / fs::path(program).filename());
        ASSERT_TRUE(txd::write_file("test_atlas.txd", {make_test_atlas_image()}));
        fs::copy_file("test_atlas.txd", kit / "models" / "speedometer_atlas.txd");
        write_green_skin(kit / "green.png");
        // The previewer's game folder goes into the user's temporary folder.
        SetEnvironmentVariableW(L"TMP", temporary.c_str());
        SetEnvironmentVariableW(L"TEMP", temporary.c_str());
    }
};

struct sheet {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // as the simulated host's frame holds them
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

sheet read_sheet(const fs::path& path) {
    const auto bytes = file_bytes(path);
    sheet read;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                            &read.width, &read.height, &channels, 4);
    if (pixels != nullptr) {
        read.pixels.resize(std::size_t(read.width) * read.height);
        std::memcpy(read.pixels.data(), pixels, read.pixels.size() * 4);
        stbi_image_free(pixels);
    }
    return read;
}

int largest_channel_difference(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8)
        largest = std::max(largest, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return largest;
}

// Every cell shows something beside its backdrop: a blank or missing cell
// is a square of backdrop, within the dark backdrop's checker and gradient.
void expect_a_gauge_in_every_cell(const sheet& drawn, bool with_mph) {
    const auto rows = preview::sheet_rows(with_mph);
    const auto layout = preview::lay_out(rows);
    ASSERT_EQ(drawn.width, layout.width);
    ASSERT_EQ(drawn.height, layout.height);
    for (const auto& cell : layout.cells) {
        int inked = 0;
        for (int y = 0; y < cell.side; ++y)
            for (int x = 0; x < cell.side; ++x)
                inked += largest_channel_difference(drawn.at(cell.x + x, cell.y + y),
                                                    drawn.at(cell.x, cell.y)) > 48;
        EXPECT_GT(inked, cell.side * cell.side / 50)
            << rows[cell.row].title << ", "
            << preview::shot_label(rows[cell.row], rows[cell.row].shots[cell.shot]);
    }
}

// The sheet's first cell is the game's 1920x1080 frame at rest over the
// demo's backdrop: the same module, here in this process, draws it again.
void expect_the_first_cell_to_be_the_games_frame(const sheet& drawn) {
    fs::create_directories("shipped/models");
    ASSERT_TRUE(txd::write_file("shipped/models/speedometer.txd", {make_test_atlas_image()}));
    sim::install();
    sim::set_drawing_enabled(true);
    sim::set_asset_root("shipped");
    const HMODULE module = LoadLibraryW((kit / "speedometer.asi").c_str());
    ASSERT_NE(module, nullptr);
    sim::run_event_site(sim::event_site::init);
    sim::set_screen(1920, 1080);
    sim::set_vehicle({});
    sim::paint_backdrop();
    sim::run_event_site(sim::event_site::draw);
    const auto first = preview::lay_out(preview::sheet_rows(true)).cells.front();
    int differing = 0;
    for (int y = 0; y < first.side; ++y)
        for (int x = 0; x < first.side; ++x)
            differing += largest_channel_difference(
                             drawn.at(first.x + x, first.y + y),
                             sim::pixel(1920 - first.side + x, 1080 - first.side + y)) > 1;
    EXPECT_EQ(differing, 0);
    sim::run_event_site(sim::event_site::shutdown);
    FreeLibrary(module);
}

TEST_F(previewer, draws_a_packed_skin_and_a_pair_of_dictionaries_from_any_folder) {
    // Packed and previewed in one go: the sheet beside the dictionary.
    ASSERT_EQ(
        run_in_kit(L"speedometer_skin.exe", L"--preview green.png models\\speedometer_green.txd"),
        0u);
    expect_a_gauge_in_every_cell(read_sheet(kit / "models" / "speedometer_green_preview.png"),
                                 false);

    // Relative paths from the kit folder, the output in a folder to be made.
    ASSERT_EQ(run_in_kit(L"speedometer_preview.exe",
                         L"models\\speedometer_atlas.txd models\\speedometer_green.txd "
                         L"-o 预览\\速度表.png"),
              0u);
    const sheet pair = read_sheet(kit / L"预览" / L"速度表.png");
    expect_a_gauge_in_every_cell(pair, true);
    expect_the_first_cell_to_be_the_games_frame(pair);
    EXPECT_TRUE(fs::is_empty(temporary)) << "the game folder is left behind";
}

TEST_F(previewer, refuses_what_is_not_a_dictionary_and_writes_no_sheet) {
    EXPECT_EQ(run_in_kit(L"speedometer_preview.exe", L"green.png -o refused.png"), 1u);
    EXPECT_EQ(run_in_kit(L"speedometer_preview.exe", L"models\\missing.txd -o refused.png"), 1u);
    EXPECT_FALSE(fs::exists(kit / "refused.png"));
    EXPECT_EQ(run_in_kit(L"speedometer_preview.exe", L""), 2u);
}

// Its image must sit where the host's does, so nothing may move it.
TEST_F(previewer, has_a_fixed_base_and_no_address_randomisation) {
    const auto image = file_bytes(kit / "speedometer_preview.exe");
    ASSERT_GT(image.size(), 0x200u);
    const auto word = [&](std::size_t at, int bytes) {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | image.at(at + i);
        return value;
    };
    const std::size_t optional_header = word(0x3C, 4) + 24;
    EXPECT_EQ(word(optional_header, 2), 0x10Bu); // PE32
    EXPECT_EQ(word(optional_header + 28, 4), 0x400000u);
    constexpr std::uint32_t dynamic_base = 0x0040;
    EXPECT_EQ(word(optional_header + 70, 2) & dynamic_base, 0u);
}

} // namespace
