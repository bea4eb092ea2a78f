// The settings file beside the module, read with the system's profile
// functions: what each file gives, and the one log line per value refused.
#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "settings/placement_lines.hpp"
#include "settings/placement_save.hpp"
#include "settings/section_lines.hpp"
#include "settings/setting_words.hpp"
#include "settings/settings.hpp"
#include "settings/settings_file_check.hpp"
#include "settings/settings_file_state.hpp"
#include "settings/settings_reload.hpp"
#include "simhost/import_tap.hpp"
#include "support/module_files_text.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

class settings_file : public ::testing::Test {
  protected:
    void SetUp() override {
        TearDown();
        restart_log_for_testing();
        forget_logged_refusals_for_testing();
        forget_settings_file_warnings_for_testing();
        active_settings = {.scale = 1.5f}; // stale
    }
    void TearDown() override {
        DeleteFileW(ini_.c_str());
        DeleteFileW(log_.c_str());
        active_settings = {};
    }

    const std::wstring ini_ = beside_module(L".ini");
    const std::wstring log_ = beside_module(L".log");
};

TEST_F(settings_file, missing_gives_the_defaults_and_writes_nothing) {
    load_settings();
    EXPECT_EQ(active_settings, speedometer_settings{});
    EXPECT_FALSE(exists(ini_));
    EXPECT_FALSE(exists(log_));
}

// The system's section read, or an empty one as a save grows the file.
std::string grown_at_read;
decltype(&GetPrivateProfileSectionW) real_section_read = nullptr;

DWORD WINAPI section_read(LPCWSTR section, LPWSTR text, DWORD capacity, LPCWSTR path) {
    if (grown_at_read.empty()) {
        return real_section_read(section, text, capacity, path);
    }
    std::ofstream(path, std::ios::binary) << grown_at_read;
    std::fill(text, text + capacity, L'\0');
    return 0;
}

TEST_F(settings_file, held_shut_is_a_read_cut_short_that_changes_nothing_unless_empty) {
    const speedometer_settings stale = active_settings;
    // The bytes read after an empty section read fill the section's buffer.
    std::string buffer = "[speedometer]\n;";
    buffer.resize((largest_settings_file + 2) * sizeof(wchar_t) - 1, ';');
    const struct {
        std::string text;
        bool complete;
        std::string grown = {}; // empty: held shut instead
    } cases[] = {
        {"[speedometer]\nunits = knots\n", false},
        // Grown past the buffer: not judged from its first part.
        {"[speedometer]\n", false, buffer + "\nscale = 2\n"},
        {"[speedometer]\n", true, buffer},
        {"", true},
    };
    const HMODULE program = GetModuleHandleW(nullptr);
    real_section_read =
        tap_import(program, "KERNEL32.dll", "GetPrivateProfileSectionW", &section_read);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        write_file(ini_, c.text);
        grown_at_read = c.grown;
        const HANDLE locked = c.grown.empty()
                                  ? CreateFileW(ini_.c_str(), GENERIC_READ, 0, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                  : nullptr;
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        EXPECT_EQ(load_settings(), c.complete);
        CloseHandle(locked);
        EXPECT_EQ(active_settings, c.complete ? speedometer_settings{} : stale);
    }
    tap_import(program, "KERNEL32.dll", "GetPrivateProfileSectionW", real_section_read);
    EXPECT_FALSE(exists(log_));
}

TEST_F(settings_file, an_empty_section_read_is_judged_by_the_files_own_lines) {
    const struct {
        std::string text;
        bool has_lines;
        unsigned code_page = 1252;
        bool unknown = false; // text the parser cannot read as the system does
    } cases[] = {
        {"[speedometer]\nscale = 2\n", true},
        {"[ Speedometer ] x\r; a comment\rscale\n", true},
        {std::string("\xFF\xFE[\0s\0p\0e\0e\0d\0o\0m\0e\0t\0e\0r\0]\0\n\0a\0", 32), true},
        {std::string("\xFE\xFF\0[\0s\0p\0e\0e\0d\0o\0m\0e\0t\0e\0r\0]\0\n\0a", 32), true},
        {std::string("\xFE\xFF\0[\0s\0p\0e\0e\0d\0o\0m\0e\0t\0e\0r\0]\0\n\0;", 32), false},
        {"[speedometer]\n; a comment\n \t\n[other]\nscale = 2\n", false},
        {"[speedometer]\n[speedometer]\nscale = 2\n", false}, // the first is read
        {"[speedometerx]\nscale = 2\n", false},
        {std::string("[speedometer]\n \0x\n", 18), false}, // no name, no value
        // A line without a name holds a value with '='; a value alone after it
        // is dropped, blank lines aside, but not after a comment.
        {"[speedometer]\n\0a=2\n"s, true},
        {"[speedometer]\n\0a\n; note\n=2\n"s, true},
        {"[speedometer]\n\0a\n\n=2\n"s, false},
        // Two-byte characters: the second byte of this one is ']'; then one
        // whose second byte the parser cannot be sure of.
        {"[speedometer]\n[x\x83]\nscale = 2\n", false},
        {"[speedometer]\n[x\x83]\nscale = 2\n", true, 932},
        {"[speedometer]\n;\x83?\n[y]\n", false, 932, true},
        {"[speedometer]\n;\x83@\n[y]\n", false, 932},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(lines_in_section(reinterpret_cast<const unsigned char*>(c.text.data()),
                                   c.text.size(), L"speedometer", true, c.code_page),
                  c.unknown     ? section_lines::unknown
                  : c.has_lines ? section_lines::some
                                : section_lines::none);
    }
}

TEST_F(settings_file, the_shipped_file_holds_the_defaults) {
    write_file(ini_, file_text(SHIPPED_SETTINGS_FILE));
    ASSERT_NE(file_text(ini_).find("[speedometer]"), std::string::npos);
    load_settings();
    EXPECT_EQ(active_settings, speedometer_settings{});
    EXPECT_FALSE(exists(log_));
}

TEST_F(settings_file, reads_every_allowed_value) {
    const struct {
        const char* text;
        speedometer_settings expected;
    } cases[] = {
        {"[speedometer]\nunits = mph\nscale = 0.75\noffset_x = 40\noffset_y = 1000\n"
         "toggle_key = F12\nhud_text_shift = off\nlayout_key = none\n",
         {speed_units::mph, 0.75f, 40.0f, 1000.0f, VK_F12, false}},
        // Names and words in any case; other keys and sections are not ours.
        {"[other]\nunits = mph\n[SPEEDOMETER]\nUnits = KMH\nscale = 2\ncolour = red\n"
         "toggle_key = q\nANCHOR = 4:3\n[more]\nscale = 9\nanchor = 16:9\n",
         {.scale = 2.0f, .toggle_key = 'Q', .anchor = screen_anchor::box_4_3}},
        {"[speedometer]\nscale = .5\ntoggle_key = F1\noffset_x = 0\nopacity = .5\n",
         {.scale = 0.5f, .toggle_key = VK_F1, .opacity_millionths = 500000}},
        {"[speedometer]\nscale = 2.0\ntoggle_key = 0\nanchor = 16:9\n",
         {.scale = 2.0f, .toggle_key = '0', .anchor = screen_anchor::wide_16_9}},
        {"[speedometer]\ntoggle_key = 9\nopacity = 0.1\nlayout_key = f1\n",
         {.toggle_key = '9', .opacity_millionths = 100000, .layout_key = VK_F1}},
        // Six decimals of opacity, and zeros after them.
        {"[speedometer]\ntoggle_key = F10\nopacity = 0.1234560000\nlayout_key = F12\n",
         {.toggle_key = VK_F10, .opacity_millionths = 123456, .layout_key = VK_F12}},
        // As the profile functions read a key: its first line, blanks and one
        // pair of quotes left out, comments skipped.
        {"[speedometer]\n;scale = 2\n  SCALE\t=\t'0.5'  \nscale = 2\noffset_x = \"7\"\n",
         {.scale = 0.5f, .offset_x = 7.0f}},
        // Digits past the range's ends that are all zeros are still in it.
        {"[speedometer]\nscale = 2.000\nopacity = 1.000\n", {.scale = 2.0f}},
        // Leading zeros, as scale takes them.
        {"[speedometer]\noffset_x = 00100\noffset_y = 01000\nscale = 0001.5\n",
         {.scale = 1.5f, .offset_x = 100.0f, .offset_y = 1000.0f}},
        // The longest value the reader takes whole.
        {"[speedometer]\nscale = 1.000000000000000000000000000000000000000000000000000000000000\n",
         speedometer_settings{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        write_file(ini_, c.text);
        load_settings();
        EXPECT_EQ(active_settings, c.expected);
    }
    EXPECT_FALSE(exists(log_));
}

TEST_F(settings_file, a_value_not_allowed_leaves_its_key_at_the_default_and_logs_one_line) {
    const char* const kmh_or_mph = "(kmh or mph)";
    const char* const scales = "(0.5 to 2.0)";
    const char* const offsets = "(a whole number from 0 to 1000)";
    const char* const keys = "(none, F1 to F12, A to Z or 0 to 9)";
    const char* const opacities = "(0.1 to 1.0, at most six decimals)";
    const struct {
        const char* line;
        const char* allowed;
    } cases[] = {
        {"units = knots", kmh_or_mph},
        {"scale = big", scales},
        {"scale = 7", scales},
        {"scale =", scales},
        {"scale = 1.0x", scales},
        {"scale = 0.49", scales},
        {"scale = 2.00000001", scales}, // 2 as a float
        {"scale = 1e0", scales},
        {"scale = nan", scales},
        {"offset_x = -5", offsets},
        {"offset_x = 1001", offsets},
        {"offset_x =", offsets},
        {"offset_y = 12.5", offsets},
        {"offset_y = 01001", offsets},
        {"offset_x = 0000000000000000000001001", offsets},
        {"scale = 10", scales},
        {"scale = 12.5", scales},
        // Fills the reader's buffer, so it may have been cut.
        {"scale = 1.0000000000000000000000000000000000000000000000000000000000000", scales},
        {"toggle_key = F13", keys},
        {"toggle_key = F0", keys},
        {"toggle_key = F01", keys},
        {"toggle_key = ctrl", keys},
        {"layout_key = up", keys},
        {"hud_text_shift = yes", "(on or off)"},
        {"opacity = 0.09999999", opacities},
        {"opacity = 1.00000001", opacities},
        {"opacity = 0.5x", opacities},
        {"opacity = 1e0", opacities},
        {"opacity =", opacities},
        {"opacity = 0.4999995", opacities}, // 127.4999 would be rounded twice to 128
        {"opacity = 0.1039215", opacities},
        {"anchor = 16:10", "(screen, 16:9 or 4:3)"},
        {"anchor = 4:3x", "(screen, 16:9 or 4:3)"},
    };
    char ini_utf8[MAX_PATH * 3];
    to_utf8(ini_.c_str(), ini_utf8, sizeof ini_utf8);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SetUp();
        // A good value beside the bad one still counts.
        const bool units_key = std::string(c.line).starts_with("units");
        write_file(ini_, std::string("[speedometer]\n") + c.line + "\n" +
                             (units_key ? "scale = 0.5\n" : "units = mph\n"));
        load_settings();
        EXPECT_EQ(active_settings, units_key ? speedometer_settings{.scale = 0.5f}
                                             : speedometer_settings{.units = speed_units::mph});

        const std::string line = c.line;
        const std::size_t equals = line.find(" =");
        const std::string key = line.substr(0, equals);
        const std::string value = equals + 3 <= line.size() ? line.substr(equals + 3) : "";
        EXPECT_EQ(log_text(log_), key + " = \"" + value + "\" is not allowed " + c.allowed +
                                      "; the default is used (" + ini_utf8 + ")\r\n");
    }
}

TEST_F(settings_file, a_skin_name_is_taken_in_lower_case_or_refused_for_the_shipped_artwork) {
    const std::string longest(32, 'k');
    const struct {
        std::string value;
        const char* skin; // nullptr: refused, and logged
    } cases[] = {
        {"Carbon", "carbon"},
        {"a", "a"},
        {"night_2-b", "night_2-b"},
        {longest, longest.c_str()},
        {"NONE", ""},
        {"mph_face", "mph_face"}, // mph only at the end names a shipped face
        {longest + "k", nullptr},
        {"", nullptr},
        {"carbon.txd", nullptr},
        {"../speedometer", nullptr},
        {"..\\speedometer", nullptr},
        {"c:carbon", nullptr},
        {"dark carbon", nullptr},
        {"MPH", nullptr},
        {"carbon_mph", nullptr},
        {"_mph", nullptr},
        {"carbon\xC3\xA9", nullptr}, // a letter, but not one a file name can always hold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SetUp();
        write_file(ini_, "[speedometer]\nskin = " + c.value + "\n");
        load_settings();
        speedometer_settings expected;
        std::strcpy(expected.skin, c.skin != nullptr ? c.skin : "");
        EXPECT_EQ(active_settings, expected);
        EXPECT_EQ(exists(log_), c.skin == nullptr);
    }
}

TEST_F(settings_file, logs_a_refused_value_once_and_a_newly_refused_one_again) {
    const struct {
        const char* file;
        std::size_t lines; // in the log after reading it, at a new game
    } games[] = {
        {"scale = 7\n", 1},
        {"scale = 7\n", 1},                // the same file again
        {"scale = 1\n", 1},                // mended
        {"scale = 7\n", 1},                // the value last told of
        {"scale = 8\n", 2},                // a new one
        {"scale = 8\nunits = knots\n", 3}, // another key
        {"scale = 7\nunits = knots\n", 4},
    };
    for (const auto& game : games) {
        SCOPED_TRACE(game.file);
        write_file(ini_, std::string("[speedometer]\n") + game.file);
        load_settings();
        const std::string log = log_text(log_);
        EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')), game.lines)
            << log;
    }
}

TEST_F(settings_file, a_refusal_names_key_and_value_before_a_path_that_fills_the_line) {
    // 180 characters of three bytes each in UTF-8, in three folders: the path
    // alone is longer than a log line.
    std::vector<std::wstring> folders = {std::wstring(ini_, 0, ini_.rfind(L'\\'))};
    for (int depth = 0; depth < 3; ++depth) {
        folders.push_back(folders.back() + L'\\' + std::wstring(60, L'\u6e38'));
        ASSERT_TRUE(CreateDirectoryW(folders.back().c_str(), nullptr));
    }
    const std::wstring ini = folders.back() + L"\\speedometer.ini";
    write_file(ini, "[speedometer]\nscale = 7\n");
    const settings_file_read read = read_settings_file(ini.c_str());
    EXPECT_EQ(read.settings, speedometer_settings{});
    EXPECT_FALSE(exists(log_)) << "told only once the read is kept";
    tell_what_the_read_found(read, ini.c_str());
    DeleteFileW(ini.c_str());
    for (std::size_t i = folders.size() - 1; i > 0; --i) {
        RemoveDirectoryW(folders[i].c_str());
    }

    const std::string line = log_text(log_);
    EXPECT_TRUE(line.starts_with("scale = \"7\" is not allowed (0.5 to 2.0)")) << line;
    ASSERT_TRUE(line.ends_with("\r\n"));
    // Cut at 511 bytes, or up to two less where that would split a character:
    // where the cut falls depends on the length of the folder the test runs in.
    EXPECT_GE(line.size(), 509u + 2u);
    EXPECT_LE(line.size(), 511u + 2u);
    // The last byte kept ends a character of the path.
    EXPECT_EQ(line.substr(line.size() - 5, 3), "\xE6\xB8\xB8");
}

TEST_F(settings_file, keywords_match_in_ascii_case_only) {
    // A soft hyphen (AD) is what a linguistic comparison would ignore.
    const struct {
        const char* written;
        bool matches_mph;
    } cases[] = {
        {"MpH", true}, {"m\xADph", false}, {"mph\x7F", false}, {"mp", false}, {"mphh", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(equals_ignoring_ascii_case(c.written, "mph"), c.matches_mph);
    }
    // The alphabet's ends fold too.
    EXPECT_TRUE(equals_ignoring_ascii_case("Az", "aZ"));
    // Characters 32 apart that are not letters stay apart.
    EXPECT_FALSE(equals_ignoring_ascii_case("@[", "`{"));
}

TEST_F(settings_file, a_file_over_64_kb_is_not_read_and_is_logged_once_until_it_shrinks) {
    // The settings, then a comment up to the size.
    const auto padded_to = [](std::size_t size) {
        std::string text = "[speedometer]\nscale = 2\n;";
        text.resize(size - 1, ';');
        return text + '\n';
    };
    const struct {
        std::size_t size;
        float scale;
        std::size_t log_lines;
    } games[] = {
        {65536, 2.0f, 0},   {65537, 1.0f, 1}, {65537, 1.0f, 1}, // the same size again
        {1 << 20, 1.0f, 1},                   // another size, as each save of a growing file
        {65536, 2.0f, 1},   {65537, 1.0f, 2}, // too large again after it was not
    };
    for (const auto& game : games) {
        SCOPED_TRACE(game.size);
        write_file(ini_, padded_to(game.size));
        load_settings();
        EXPECT_EQ(active_settings.scale, game.scale);
        const std::string log = log_text(log_);
        EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')),
                  game.log_lines)
            << log;
    }
    EXPECT_NE(log_text(log_).find("is 65537 bytes, more than the 65536 allowed"),
              std::string::npos);
}

TEST_F(settings_file, a_byte_order_mark_right_before_the_first_section_is_logged) {
    const struct {
        const char* text;
        bool logged;
    } cases[] = {
        {"\xEF\xBB\xBF[speedometer]\nscale = 2\n", true},
        {"\xEF\xBB\xBF \t[speedometer]\nscale = 2\n", true},
        {"\xEF\xBB\xBF; a comment first\n[speedometer]\nscale = 2\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SetUp();
        write_file(ini_, c.text);
        load_settings();
        load_settings(); // told once, not at every read
        const std::string log = log_text(log_);
        EXPECT_EQ(log.find("byte-order mark") != std::string::npos, c.logged) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), c.logged ? 1 : 0);
    }
}

// The settings file's state, one transition a row, on the module's clock.
TEST(settings_file_state, answers_each_look_and_read_by_its_rules) {
    constexpr int D = -1, R = -2, G = -3; // defaults, read, give up; else a pause's ms
    const auto stamp = [](DWORD size) { return file_stamp{true, {0, 1}, 0, size}; };
    const file_stamp a = stamp(1), b = stamp(2), c = stamp(3), d = stamp(4), gone{}, dir = stamp(0);
    constexpr std::uint64_t written = 1ull << 32, ms = 10000; // the stamps' time
    // clang-format off
    enum what { fresh, begin, look, read, cut, kept, drop, due, play, p_read, p_cut, saved, same,
                edited };
    const struct {
        what event;
        DWORD now;
        file_stamp file; // the folder's, at begin
        int answer;
        std::uint64_t system_time = 0;
    } rows[] = {
        // A first game waits for a file written 250 ms or less before the system's clock.
        {fresh, 0, {}, 0}, {look, 0, a, 250, written + 250 * ms}, {look, 250, a, R},
        {fresh, 0, {}, 0}, {look, 0, a, 250, written - 1}, {fresh, 0, {}, 0},
        {look, 0, a, R, written + 251 * ms}, {read, 0, a, R}, {kept, 0, a, 200},
        // Unchanged at the next game; saved again while read: read once still.
        {begin, 5000, {}, 0}, {look, 5000, a, R}, {read, 5000, b, 50}, {look, 5050, b, 200},
        {look, 5250, b, R}, {read, 5250, b, R}, {kept, 5250, b, 200},
        // Cut short: tried again every 50 ms for 200 ms, then the last read in full.
        {begin, 6000, {}, 0}, {look, 6000, b, R}, {cut, 6000, {}, 50}, {cut, 6050, {}, 50},
        {cut, 6100, {}, 50}, {cut, 6150, {}, 50}, {cut, 6200, {}, G}, {drop, 6200, {}, 200},
        // Changing at every look: given up after 500 ms, and looked at afresh.
        {begin, 7000, {}, 0}, {look, 7000, c, 250}, {look, 7250, d, 250}, {look, 7500, c, G},
        {drop, 7500, {}, 200}, {begin, 8000, {}, 0}, {look, 8000, c, 250}, {look, 8250, c, R},
        {read, 8250, c, R}, {kept, 8250, c, 200},
        // The frames look each second; a change is read once still 250 ms later.
        {due, 9249, {}, 0}, {due, 9250, {}, 1}, {play, 9250, c, 0}, {due, 10250, {}, 1},
        {play, 10250, a, 0}, {due, 10499, {}, 0}, {due, 10500, {}, 1}, {play, 10500, a, 1},
        {p_read, 10500, b, 0}, {play, 11500, a, 1}, {p_read, 11500, a, 1},
        // Reads cut short for 10 s are told once; new games then do not wait.
        {p_cut, 12500, {}, 0}, {p_cut, 22499, {}, 0}, {p_cut, 22500, {}, 1}, {p_cut, 23500, {}, 0},
        {begin, 24000, {}, 0}, {look, 24000, a, R}, {cut, 24000, {}, G}, {drop, 24000, {}, 200},
        {p_read, 25000, a, 1},
        // Saved again and again: read after 3 s of it.
        {play, 26000, b, 0}, {play, 28999, c, 0}, {play, 29000, d, 1},
        // Gone at a new game after a read in play: waited for, unless seen gone, folder unchanged.
        {p_read, 29000, d, 1}, {play, 30000, gone, 0}, {begin, 30100, dir, 0},
        {look, 30100, gone, 250}, {look, 30350, gone, D}, {kept, 30350, {}, 100},
        {play, 31000, a, 0}, {play, 31250, a, 1}, {p_read, 31250, a, 1}, {begin, 31300, {}, 0},
        {look, 31300, gone, 250}, {look, 31550, gone, D}, {kept, 31550, {}, 100},
        {play, 32000, a, 0}, {play, 32250, a, 1}, {p_read, 32250, a, 1}, {play, 33000, gone, 0},
        {begin, 33250, {}, 0}, {look, 33250, gone, D},
        // The module's own save: the last read in full, read back, not waited for.
        {kept, 33250, {}, 100}, {saved, 34000, a, 50}, {same, 34000, a, 1}, {same, 34000, b, 0},
        {edited, 34000, a, 0},
        {play, 35000, a, 0}, {play, 35250, a, 1}, {saved, 36000, c, 50}, {begin, 36100, {}, 0},
        {look, 36100, c, R},
    };
    // clang-format on
    settings_file_state state;
    const speedometer_settings scale_2{.scale = 2.0f}, half{.scale = 0.5f};
    const auto answer = [&](settings_file_state::step s) {
        const int answers[] = {D, R, static_cast<int>(state.pause_ms()), G};
        return answers[static_cast<int>(s)];
    };
    const auto scale = [&] { return static_cast<int>(state.settings_for_new_game().scale * 100); };
    using event = std::function<int(const file_look&)>;
    const event events[] = {
        [&](const file_look&) { return state = {}, 0; },
        [&](const file_look& l) { return state.begin_new_game(l.file), 0; },
        [&](const file_look& l) { return answer(state.look_at_new_game(l)); },
        [&](const file_look& l) { return answer(state.read_at_new_game(true, l)); },
        [&](const file_look& l) { return answer(state.read_at_new_game(false, l)); },
        [&](const file_look& l) {
            return state.end_new_game(true, l.file.empty() ? speedometer_settings{} : scale_2,
                                      l.now),
                   scale();
        },
        [&](const file_look& l) { return state.end_new_game(false, {}, l.now), scale(); },
        [&](const file_look& l) { return int{state.look_due(l.now)}; },
        [&](const file_look& l) { return int{state.look_in_play(l)}; },
        [&](const file_look& l) { return int{state.read_in_play(true, l, scale_2)}; },
        [&](const file_look& l) {
            return state.read_in_play(false, l, scale_2), int{state.tell_unreadable_now()};
        },
        [&](const file_look& l) { return state.note_saved(half, l.file), scale(); },
        [&](const file_look& l) { return int{state.unchanged_since_full_read(l.file, half)}; },
        [&](const file_look& l) { return int{state.unchanged_since_full_read(l.file, scale_2)}; },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "at " << row.now << " ms");
        EXPECT_EQ(events[row.event]({row.file, {}, row.now, row.system_time}), row.answer);
    }
}

// The file shapes a player's file comes in, times the places a layout drive
// saves. In a shape, {s}{x}{y} are the old values and {S}{X}{Y} the new ones;
// lines marked '@' are the three lines (or the header the save adds), and
// '~' marks a line end the save adds: every other byte must stay, and the
// system's own reads give the values back.
std::string with_values(std::string text, const char* const (&values)[6]) {
    const char marks[] = "sxySXY";
    for (std::size_t at; (at = text.find('{')) != std::string::npos;) {
        text.replace(at, 3, values[std::strchr(marks, text[at + 1]) - marks]);
    }
    return text;
}

// The shape in the encoding and line ends of a row; without its '@' lines
// when only the bytes outside the three lines are asked for.
std::string encoded(const std::string& shape, const char* encoding, const char* line_end,
                    bool outside_only) {
    std::string text;
    for (std::size_t at = 0; at < shape.size();) {
        std::size_t end = shape.find('\n', at);
        end = end == std::string::npos ? shape.size() : end + 1;
        std::string line = shape.substr(at, end - at);
        at = end;
        // "~" ends a line that had no line end before the save.
        if ((line[0] == '@' || line.ends_with("~\n")) && outside_only) {
            line.erase(line[0] == '@' ? 0 : line.size() - 2);
        }
        if (line.ends_with("~\n")) {
            line.erase(line.size() - 2, 1);
        }
        line.erase(0, line[0] == '@' ? 1 : 0);
        if (line.ends_with("\n") && !line.ends_with("\r\n")) {
            line.replace(line.size() - 1, 1, line_end);
        }
        text += line;
    }
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    if (std::strcmp(encoding, "UTF-16LE") == 0) {
        return std::string("\xFF\xFE") +
               std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    }
    if (std::strcmp(encoding, "ANSI") == 0) {
        std::string ansi(wide.size() * 2, '\0');
        ansi.resize(WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()),
                                        ansi.data(), static_cast<int>(ansi.size()), nullptr,
                                        nullptr));
        return ansi;
    }
    return (std::strcmp(encoding, "UTF-8 mark") == 0 ? "\xEF\xBB\xBF" : "") + text;
}

std::string profile_value(const std::wstring& path, const wchar_t* key) {
    wchar_t value[64];
    GetPrivateProfileStringW(L"speedometer", key, L"(none)", value, 64, path.c_str());
    char utf8[200];
    to_utf8(value, utf8, sizeof utf8);
    return utf8;
}

TEST_F(settings_file, a_save_changes_the_three_values_and_keeps_every_other_byte) {
    const struct {
        const char* name;
        const char* before;
        const char* after;
    } shapes[] = {
        {"all three keys, comments between, other sections",
         "; Gr\xC3\xB6\xC3\x9F\x65 und Platz\n[other]\nscale = 9\n[Speedometer]\nunits = mph\n"
         "; the size\n@scale = {s}\n@\toffset_x={x}\n\n@  OffSet_Y = \"{y}\"  \nskin = light\n"
         "[more]\noffset_x = 5\n",
         "; Gr\xC3\xB6\xC3\x9F\x65 und Platz\n[other]\nscale = 9\n[Speedometer]\nunits = mph\n"
         "; the size\n@scale = {S}\n@\toffset_x={X}\n\n@  OffSet_Y = \"{Y}\"  \nskin = light\n"
         "[more]\noffset_x = 5\n"},
        {"keys missing, blank lines after the section",
         "[speedometer]\n@scale = {s}\ntoggle_key = F8\n\n[other]\na = 1\n",
         "[speedometer]\n@scale = {S}\ntoggle_key = F8\n@offset_x = {X}\n@offset_y = {Y}\n\n"
         "[other]\na = 1\n"},
        {"section missing, no line end at the end", "; none here\n[other]\na = 1",
         "; none here\n[other]\na = 1~\n@[speedometer]\n@scale = {S}\n@offset_x = {X}\n"
         "@offset_y = {Y}\n"},
        {"section last, no line end at the end", "[speedometer]\n@offset_y={y}",
         "[speedometer]\n@offset_y={Y}~\n@scale = {S}\n@offset_x = {X}\n"},
        {"a key's name alone on its first line",
         "[speedometer]\n@scale\nscale = 2\n@offset_x = {x}\n@offset_y = {y}\n",
         "[speedometer]\n@scale = {S}\nscale = 2\n@offset_x = {X}\n@offset_y = {Y}\n"},
        {"empty file", "",
         "@[speedometer]\r\n@scale = {S}\r\n@offset_x = {X}\r\n@offset_y = {Y}\r\n"},
    };
    // Old and new values; the last scale is the float just above 1.15, which
    // must be written with all its digits to read back the same.
    const struct {
        const char* old[3];
        float scale;
        const char* x;
        const char* y;
    } edits[] = {{{"1", "0", "0"}, 1.05f, "1", "0"},
                 {{"0.75", "40", "1000"}, 0.5f, "0", "1000"},
                 {{"2.0", "999", "3"}, 2.0f, "1000", "2"},
                 {{"1.234", "7", "7"}, std::nextafter(1.15f, 2.0f), "17", "0"}};
    std::printf("%-50s %-10s %-5s %6s %6s %s\n", "shape", "encoding", "ends", "before", "after",
                "bytes outside the three lines kept");
    for (const auto& shape : shapes) {
        for (const char* encoding : {"ANSI", "UTF-8", "UTF-8 mark", "UTF-16LE"}) {
            for (const char* line_end : {"\r\n", "\n"}) {
                for (const auto& e : edits) {
                    SCOPED_TRACE(testing::Message() << shape.name << ", " << encoding << ", "
                                                    << (line_end[0] == '\r' ? "CR LF" : "LF")
                                                    << ", scale " << e.scale);
                    char scale[16];
                    scale_text(e.scale, scale);
                    const char* const values[6] = {e.old[0], e.old[1], e.old[2], scale, e.x, e.y};
                    const std::string before =
                        encoded(with_values(shape.before, values), encoding, line_end, false);
                    std::string after(before.size() + 256, '\0');
                    after.resize(with_placement_lines(
                        reinterpret_cast<const unsigned char*>(before.data()), before.size(),
                        {scale, e.x, e.y}, reinterpret_cast<unsigned char*>(after.data()),
                        after.size()));
                    ASSERT_EQ(after,
                              encoded(with_values(shape.after, values), encoding, line_end, false));
                    const std::string kept = encoded(shape.before, encoding, line_end, true);
                    ASSERT_EQ(kept, encoded(shape.after, encoding, line_end, true));

                    write_file(ini_, after);
                    EXPECT_EQ(profile_value(ini_, L"offset_x"), e.x);
                    EXPECT_EQ(profile_value(ini_, L"offset_y"), e.y);
                    float read_back = 0.0f;
                    EXPECT_TRUE(read_scale_text(profile_value(ini_, L"scale").c_str(), read_back));
                    EXPECT_EQ(read_back, e.scale);
                    if (&e == edits) {
                        std::printf("%-50s %-10s %-5s %6zu %6zu %zu of %zu\n", shape.name, encoding,
                                    line_end[0] == '\r' ? "CRLF" : "LF", before.size(),
                                    after.size(), kept.size(), kept.size());
                    }
                }
            }
        }
    }
}

// A save refused: one line says why, the old file stays byte for byte and no
// new file is left beside it. The player may save the file while the new one
// is being flushed.
decltype(&FlushFileBuffers) real_flush = nullptr;
std::string saved_at_flush; // empty: not saved

BOOL WINAPI flush_as_the_player_saves(HANDLE file) {
    if (!saved_at_flush.empty()) {
        write_file(beside_module(L".ini"), saved_at_flush);
    }
    return real_flush(file);
}

TEST_F(settings_file, a_refused_save_says_why_and_leaves_the_file_as_it_was) {
    const std::string three = "[speedometer]\r\nscale = 1\r\noffset_x = 10\r\noffset_y = 0\r\n";
    const auto sized = [&](std::size_t size) {
        return std::string(size - three.size() - 1, ';') + "\n" + three;
    };
    enum class then { nothing, remove, make_folder, edit_at_flush };
    const struct {
        std::string file;
        then after_read;
        float offset_x;
        const char* refused; // null: saved
    } rows[] = {
        {"\xFE\xFF\0[\0s\0]\0\r\0\n"s, then::nothing, 11, "big-endian, which the game reads but"},
        {sized(65536), then::nothing, 10, nullptr},
        {sized(65536), then::nothing, 100, "with the new lines it would be larger than 64 KB"},
        {sized(65537), then::nothing, 10, "it is larger than 64 KB"},
        {three, then::remove, 11, "it was deleted or emptied since the game read it"},
        {three, then::make_folder, 11, "it is a folder"},
        {three, then::edit_at_flush, 11, "it was changed since the game read it"},
    };
    const HMODULE program = GetModuleHandleW(nullptr);
    real_flush =
        tap_import(program, "KERNEL32.dll", "FlushFileBuffers", &flush_as_the_player_saves);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << &row - rows);
        write_file(ini_, row.file);
        load_settings_for_new_game();
        if (row.after_read == then::remove || row.after_read == then::make_folder) {
            DeleteFileW(ini_.c_str());
        }
        if (row.after_read == then::make_folder) {
            CreateDirectoryW(ini_.c_str(), nullptr);
        }
        saved_at_flush = row.after_read == then::edit_at_flush ? three + "units = mph\n" : "";
        const std::string before = saved_at_flush.empty() ? file_text(ini_) : saved_at_flush;
        DeleteFileW(log_.c_str());
        restart_log_for_testing();
        EXPECT_EQ(save_placement(1.0f, row.offset_x, 0.0f, true),
                  row.refused ? placement_saved::refused : placement_saved::saved);
        EXPECT_EQ(log_text(log_).find(row.refused ? row.refused : "not saved") != std::string::npos,
                  row.refused != nullptr)
            << log_text(log_);
        EXPECT_EQ(file_text(ini_), before);
        EXPECT_FALSE(exists(ini_ + L".saving"));
        RemoveDirectoryW(ini_.c_str());
    }
    tap_import(program, "KERNEL32.dll", "FlushFileBuffers", real_flush);
}

} // namespace
