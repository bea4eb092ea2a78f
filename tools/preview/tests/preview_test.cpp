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

// Every program a test starts is in this job, which ends them all as the test
// program ends, however it ends: killed at a time-out too. A watcher left
// running would keep the Wine server, and the test command, waiting.
const HANDLE started_programs = [] {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}();

// Starts a kit program from the kit folder (or `folder`), as a console there
// would, its output going to `log`.
HANDLE start_in_kit(const std::wstring& program, const std::wstring& arguments, const fs::path& log,
                    const fs::path& folder = kit) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE output = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                      CREATE_ALWAYS, 0, nullptr);
    std::wstring command = L"\"" + (kit / program).wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                       folder.c_str(), &startup, &process);
    CloseHandle(output);
    if (!started)
        return nullptr;
    AssignProcessToJobObject(started_programs, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD finish(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    DWORD status = 1000;
    GetExitCodeProcess(process, &status);
    CloseHandle(process);
    return status;
}

std::string text_of(const fs::path& path) {
    const auto bytes = file_bytes(path);
    return {bytes.begin(), bytes.end()};
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

struct kit_run {
    DWORD status;
    std::string output;
};

kit_run run_in_kit(const std::wstring& program, const std::wstring& arguments,
                   const fs::path& folder = kit) {
    const HANDLE process = start_in_kit(program, arguments, kit / "run.log", folder);
    if (process == nullptr)
        return {1000 + GetLastError(), ""};
    const DWORD status = finish(process);
    return {status, text_of(kit / "run.log")};
}

constexpr std::uint32_t magenta = 0xFFFF00FF, pure_green = 0xFF00FF00;

// A skin of 512x256: a green disc on the dial face, speed digits 4 and 8
// magenta, status digits 2 to 9 green (the cyan tint keeps green), the rest
// clear.
void write_green_skin(const fs::path& path) {
    constexpr int width = 512, height = 256;
    std::vector<unsigned char> pixels(width * height * 4, 0);
    const auto fill = [&](int left, int top, int right, int bottom, std::uint32_t rgba) {
        for (int y = top / 2 + 2; y < bottom / 2 - 2; ++y) // layout pixels, a margin kept
            for (int x = left / 2 + 2; x < right / 2 - 2; ++x)
                std::memcpy(&pixels[(y * width + x) * 4], &rgba, 4);
    };
    for (int d : {4, 8})
        fill(100 * (d - 1), 291, 100 * d, 451, magenta);
    for (int d = 2; d <= 9; ++d)
        fill(582 + 44 * (d - 1), 134, 582 + 44 * d, 190, pure_green);
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

// Pixels of the sheet near a colour: a glyph drawn somewhere.
int pixels_like(const sheet& drawn, std::uint32_t colour) {
    return static_cast<int>(std::count_if(drawn.pixels.begin(), drawn.pixels.end(), [&](auto p) {
        return largest_channel_difference(p, colour) < 40;
    }));
}

// Every cell shows something beside its backdrop: a blank or missing cell
// is a square of backdrop, within the dark backdrop's checker and gradient;
// and every row has its title, in white above its labels.
void expect_a_gauge_in_every_cell(const sheet& drawn, bool with_mph) {
    const auto rows = preview::sheet_rows(true, with_mph);
    const auto layout = preview::lay_out(rows);
    ASSERT_EQ(drawn.width, layout.width);
    ASSERT_EQ(drawn.height, layout.height);
    for (const auto& cell : layout.cells) {
        const auto title =
            drawn.pixels.begin() +
            (cell.y - preview::cell_label_height - preview::row_title_height) * drawn.width;
        EXPECT_TRUE(
            cell.shot > 0 ||
            std::count(title, title + preview::row_title_height * drawn.width, 0xFFFFFFFFu) > 50)
            << rows[cell.row].title;
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

// A cell at rest is the game's 1920x1080 frame over the demo's backdrop: the
// same module, here in this process, draws it again from that dictionary.
void expect_the_games_frame(const sheet& drawn, bool with_mph, bool mph_row,
                            const fs::path& dictionary) {
    ASSERT_FALSE(drawn.pixels.empty());
    fs::create_directories("shipped/models");
    const fs::path shipped =
        mph_row ? "shipped/models/speedometer_mph.txd" : "shipped/models/speedometer.txd";
    ASSERT_TRUE(CopyFileW(dictionary.c_str(), shipped.c_str(), FALSE));
    std::ofstream(kit / "speedometer.ini") << (mph_row ? "[speedometer]\nunits = mph\n" : "");
    sim::install();
    sim::set_drawing_enabled(true);
    // The game reads its dictionaries from its current folder, and the
    // module looks at them there before they are handed to it.
    sim::set_asset_root("");
    const fs::path here = fs::current_path();
    fs::current_path("shipped");
    const HMODULE module = LoadLibraryW((kit / "speedometer.asi").c_str());
    ASSERT_NE(module, nullptr);
    sim::run_event_site(sim::event_site::init);
    fs::current_path(here);
    sim::set_screen(1920, 1080);
    sim::set_vehicle({});
    sim::paint_backdrop();
    sim::run_event_site(sim::event_site::draw);
    const auto rows = preview::sheet_rows(true, with_mph);
    const auto cells = preview::lay_out(rows).cells;
    const auto cell = *std::find_if(cells.begin(), cells.end(),
                                    [&](const auto& c) { return rows[c.row].mph == mph_row; });
    int differing = 0;
    for (int y = 0; y < cell.side; ++y)
        for (int x = 0; x < cell.side; ++x)
            differing += largest_channel_difference(
                             drawn.at(cell.x + x, cell.y + y),
                             sim::pixel(1920 - cell.side + x, 1080 - cell.side + y)) > 1;
    EXPECT_EQ(differing, 0) << (mph_row ? "mph" : "km/h");
    sim::run_event_site(sim::event_site::shutdown);
    FreeLibrary(module);
}

TEST_F(previewer, draws_a_packed_skin_and_a_dictionary_from_any_folder) {
    // The game folders of previews that ended without cleaning up go at the
    // next start; a running one's stays.
    const fs::path ended = temporary / "speedometer_preview_99999996",
                   running =
                       temporary / ("speedometer_preview_" + std::to_string(GetCurrentProcessId()));
    for (const fs::path& folder : {ended, running})
        fs::create_directories(folder / "models");
    // Packed and previewed in one go: the sheet beside the PNG, each warning once.
    const kit_run packed =
        run_in_kit(L"speedometer_skin.exe", L"--preview green.png models\\speedometer_green.txd");
    ASSERT_EQ(packed.status, 0u) << packed.output;
    EXPECT_EQ(count_of(packed.output, "needle: its rectangle is fully transparent"), 1u);
    EXPECT_FALSE(fs::exists(ended));
    EXPECT_TRUE(fs::exists(running));
    fs::remove_all(running);
    const sheet green = read_sheet(kit / "speedometer_green_preview.png");
    expect_a_gauge_in_every_cell(green, false);
    // Every glyph is drawn somewhere on the sheet.
    EXPECT_GT(pixels_like(green, magenta), 200);
    EXPECT_GT(pixels_like(green, pure_green), 50);

    // A good pack whose sheet fails says so, and takes the older sheet away.
    std::ofstream(kit / "models" / "speedometer_green_mph.txd") << "damaged";
    const kit_run failed =
        run_in_kit(L"speedometer_skin.exe", L"--preview green.png models\\speedometer_green.txd");
    EXPECT_EQ(failed.status, 1u);
    EXPECT_NE(failed.output.find("speedometer_green.txd is written, but no preview sheet"),
              std::string::npos)
        << failed.output;
    EXPECT_FALSE(fs::exists(kit / "speedometer_green_preview.png"));
    fs::remove(kit / "models" / "speedometer_green_mph.txd");

    // From the folder started in, never into models, replacing an older sheet.
    std::ofstream(kit / "speedometer_atlas_preview.png") << "older";
    const kit_run atlas = run_in_kit(L"speedometer_preview.exe", L"models\\speedometer_atlas.txd");
    ASSERT_EQ(atlas.status, 0u) << atlas.output;
    EXPECT_NE(atlas.output.find("wrote speedometer_atlas_preview.png: "), std::string::npos);
    const sheet alone = read_sheet(kit / "speedometer_atlas_preview.png");
    expect_a_gauge_in_every_cell(alone, false);
    expect_the_games_frame(alone, false, false, "test_atlas.txd");
    // From inside models, into the folder above.
    fs::remove(kit / "speedometer_atlas_preview.png");
    ASSERT_EQ(
        run_in_kit(L"speedometer_preview.exe", L"speedometer_atlas.txd", kit / "models").status,
        0u);
    EXPECT_TRUE(fs::exists(kit / "speedometer_atlas_preview.png"));
    EXPECT_FALSE(fs::exists(kit / "models" / "speedometer_atlas_preview.png"));

    // Relative paths from the kit folder, the output in a folder to be made.
    ASSERT_EQ(
        run_in_kit(L"speedometer_preview.exe", L"models\\speedometer_green.txd -o 预览\\速度表.png")
            .status,
        0u);
    expect_a_gauge_in_every_cell(read_sheet(kit / L"预览" / L"速度表.png"), false);
    EXPECT_TRUE(fs::is_empty(temporary)) << "the game folder is left behind";
}

// The faces go by their names, as the game takes them: the mph one given
// alone finds its km/h partner, and given first is still the mph row.
TEST_F(previewer, pairs_dictionaries_by_their_names_in_any_order) {
    fs::copy_file(kit / "models" / "speedometer_atlas.txd",
                  kit / "models" / "speedometer_pair.txd");
    fs::copy_file(kit / "green.png", kit / "pair_mph.png");
    ASSERT_EQ(run_in_kit(L"speedometer_skin.exe", L"pair_mph.png models\\speedometer_pair_mph.txd")
                  .status,
              0u);
    for (const wchar_t* given :
         {L"models\\speedometer_pair_mph.txd",
          L"models\\speedometer_pair_mph.txd models\\speedometer_pair.txd"}) {
        ASSERT_EQ(
            run_in_kit(L"speedometer_preview.exe", given + std::wstring(L" -o pair.png")).status,
            0u);
        const sheet pair = read_sheet(kit / "pair.png");
        expect_a_gauge_in_every_cell(pair, true);
        expect_the_games_frame(pair, true, false, kit / "models" / "speedometer_pair.txd");
        expect_the_games_frame(pair, true, true, kit / "models" / "speedometer_pair_mph.txd");
    }
}

TEST_F(previewer, refuses_what_it_cannot_draw_and_answers_help_and_version) {
    const struct {
        const wchar_t* arguments;
        DWORD status;
        const char* said;
    } cases[] = {
        {L"green.png -o refused.png", 1, "is a picture, not a dictionary: drop it on"},
        {L"models\\speedometer_missing.txd -o refused.png", 1, "cannot open"},
        {L"a.txd b.txd c.txd -o refused.png", 1, "3 files given"},
        {L"models\\speedometer_atlas.txd -o .\\", 0, "wrote .\\speedometer_atlas_preview.png: "},
        {L"", 2, "usage:"},
        {L"--help", 0, "usage:"},
        {L"/?", 0, "usage:"},
        {L"--version", 0, " (commit "},
    };
    for (const auto& c : cases) {
        const kit_run run = run_in_kit(L"speedometer_preview.exe", c.arguments);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    }
    // A file in the module's place that is no module: what to do, in words.
    fs::rename(kit / "speedometer.asi", kit / "module.bak");
    std::ofstream(kit / "speedometer.asi", std::ios::binary) << "MZ, and then nothing";
    const kit_run run =
        run_in_kit(L"speedometer_preview.exe", L"models\\speedometer_atlas.txd -o refused.png");
    fs::remove(kit / "speedometer.asi");
    fs::rename(kit / "module.bak", kit / "speedometer.asi");
    EXPECT_EQ(run.status, 1u);
    EXPECT_NE(run.output.find("unpack the whole skin kit again"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(kit / "refused.png"));
}

// Saves of a good, a bad and a good PNG: two sheets and one refusal, told
// from what the watcher says, with a generous bound on each wait.
TEST_F(previewer, watch_mode_packs_each_save_and_keeps_the_last_good_sheet) {
    const auto green = file_bytes(kit / "green.png");
    const auto save = [&](const std::vector<unsigned char>& bytes) {
        std::ofstream(kit / "watched.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    };
    save(green);
    const fs::path log = kit / "watch.log";
    const HANDLE watcher =
        start_in_kit(L"speedometer_preview.exe", L"--watch Watched.png --stop-after 3", log);
    ASSERT_NE(watcher, nullptr);
    const auto said = [&](const char* part) {
        // Each look waits a tenth of a second, or less when the watcher ends.
        for (int look = 0; look < 3000 && count_of(text_of(log), part) == 0; ++look)
            if (WaitForSingleObject(watcher, 100) != WAIT_TIMEOUT)
                break;
        return count_of(text_of(log), part) > 0;
    };
    EXPECT_TRUE(said("_preview.png: "));
    save({'n', 'o'});
    EXPECT_TRUE(said("refused: "));
    // A slow save, in pieces: packed once whole, never refused while written.
    std::ofstream slow(kit / "watched.png", std::ios::binary);
    for (std::size_t at = 0; at < green.size(); at += 1000, Sleep(150))
        slow.write(reinterpret_cast<const char*>(&green[at]),
                   long(std::min<std::size_t>(green.size() - at, 1000)))
            .flush();
    slow.close();
    EXPECT_EQ(finish(watcher), 0u);
    const std::string output = text_of(log);
    EXPECT_EQ(count_of(output, "wrote speedometer_watched_preview.png: "), 2u) << output;
    EXPECT_EQ(count_of(output, "refused: "), 1u) << output;
    EXPECT_EQ(count_of(output, "the last good dictionary and sheet stay"), 1u) << output;
    EXPECT_EQ(count_of(output, "makes the skin \"watched\""), 1u) << output;
    expect_a_gauge_in_every_cell(read_sheet(kit / "speedometer_watched_preview.png"), false);

    // A name that is not there yet is said once; a first save that is no PNG
    // leaves nothing good behind to speak of.
    const HANDLE late =
        start_in_kit(L"speedometer_preview.exe", L"--watch late.png --stop-after 1", log);
    ASSERT_NE(late, nullptr);
    for (int look = 0; look < 3000 && count_of(text_of(log), "late.png is not there") == 0; ++look)
        ASSERT_EQ(WaitForSingleObject(late, 100), WAIT_TIMEOUT) << text_of(log);
    std::ofstream(kit / "late.png", std::ios::binary) << "JFIF, renamed";
    EXPECT_EQ(finish(late), 1u);
    const std::string never = text_of(log);
    EXPECT_EQ((std::vector{count_of(never, "late.png is not there: waiting for it"),
                           count_of(never, "nothing is written until a save packs"),
                           count_of(never, "last good")}),
              (std::vector<std::size_t>{1, 1, 0}))
        << never;
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
