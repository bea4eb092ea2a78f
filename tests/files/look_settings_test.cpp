// The settings of the gauge's looks: the skin's name, which becomes part of a
// file name and so must never reach outside the models folder, and opacity.
#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "speedometer/settings.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

class look_settings : public ::testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteFileW(ini_.c_str());
        DeleteFileW(log_.c_str());
        restart_log_for_testing();
        forget_logged_refusals_for_testing();
    }
    // The file holding this one line, read; and whether the log got a line.
    speedometer_settings read(const std::string& line, bool& logged) {
        TearDown();
        std::ofstream(ini_.c_str(), std::ios::binary) << "[speedometer]\n" << line << "\n";
        const speedometer_settings read = read_settings_file(ini_.c_str());
        logged = GetFileAttributesW(log_.c_str()) != INVALID_FILE_ATTRIBUTES;
        return read;
    }

    static std::wstring beside_module(const wchar_t* extension) {
        wchar_t path[MAX_PATH];
        EXPECT_TRUE(path_beside_module(extension, path, MAX_PATH));
        return path;
    }
    const std::wstring ini_ = beside_module(L".ini");
    const std::wstring log_ = beside_module(L".log");
};

TEST_F(look_settings, a_skin_name_is_taken_in_lower_case_or_refused_for_the_shipped_artwork) {
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
        {"..", nullptr},
        {"../speedometer", nullptr},
        {"..\\speedometer", nullptr},
        {"c:carbon", nullptr},
        {"dark carbon", nullptr},
        {"mph", nullptr},
        {"MPH", nullptr},
        {"carbon_mph", nullptr},
        {"carbon\xC3\xA9", nullptr}, // a letter, but not one a file name can always hold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        bool logged = false;
        const speedometer_settings s = read("skin = " + c.value, logged);
        speedometer_settings expected;
        std::strcpy(expected.skin, c.skin != nullptr ? c.skin : "");
        EXPECT_EQ(s, expected); // every byte, as settings are compared
        EXPECT_EQ(logged, c.skin == nullptr);
    }
}

TEST_F(look_settings, opacity_is_read_like_scale_within_a_tenth_and_one) {
    const struct {
        const char* value;
        std::uint32_t millionths; // 0: refused, and logged
    } cases[] = {
        {"0.1", 100000},   {".5", 500000},
        {"1", 1000000},    {"1.000", 1000000},
        {"0.7", 700000},   {"0.1234565", 123457}, // the seventh decimal rounds half up
        {"0.09999999", 0}, {"1.00000001", 0},
        {"0", 0},          {"2", 0},
        {"0.5x", 0},       {"1e0", 0},
        {"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        bool logged = false;
        const speedometer_settings s = read(std::string("opacity = ") + c.value, logged);
        EXPECT_EQ(s.opacity_millionths, c.millionths != 0 ? c.millionths : 1000000u);
        EXPECT_EQ(logged, c.millionths == 0);
    }
}

} // namespace
