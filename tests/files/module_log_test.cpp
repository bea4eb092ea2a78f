// The log beside the module: absent until there is something to say, started
// afresh by the first line of a load, appended to afterwards.
#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "simhost/import_tap.hpp"
#include "support/module_files_text.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring log_path() {
    return beside_module(L".log");
}

std::vector<std::string> debugger_lines;

void WINAPI capture_debugger_line(LPCSTR line) {
    debugger_lines.emplace_back(line);
}

class module_log : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteFileW(log_path().c_str());
        restart_log_for_testing();
    }
    void TearDown() override { DeleteFileW(log_path().c_str()); }
};

TEST_F(module_log, is_named_after_the_module_file) {
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring expected = own;
    expected.replace(expected.rfind(L'.'), std::wstring::npos, L".log");
    EXPECT_EQ(log_path(), expected);

    // Room for the path and its terminator, and one character less.
    wchar_t fitting[MAX_PATH];
    EXPECT_TRUE(path_beside_module(L".log", fitting, expected.size() + 1));
    EXPECT_EQ(fitting, expected);
    EXPECT_FALSE(path_beside_module(L".log", fitting, expected.size()));
    wchar_t tiny[8];
    EXPECT_FALSE(path_beside_module(L".log", tiny, std::size(tiny)));
}

TEST_F(module_log, cuts_a_long_line_before_the_character_the_cut_would_split) {
    const std::string e_acute = "\xC3\xA9";
    const struct {
        std::size_t ascii; // then e_acute
        std::size_t kept;  // bytes of the line
    } cases[] = {
        {509, 511}, // fits whole
        {510, 510}, // the cut falls inside the character
        {511, 511}, // the cut falls before it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ascii);
        restart_log_for_testing();
        const std::string text = std::string(c.ascii, 'a') + e_acute;
        log_line("%s", text.c_str());
        EXPECT_EQ(log_text(), text.substr(0, c.kept) + "\r\n");
    }
}

TEST_F(module_log, starts_afresh_at_each_load_and_appends_after) {
    EXPECT_EQ(GetFileAttributesW(log_path().c_str()), INVALID_FILE_ATTRIBUTES);
    log_line("old run %d", 1);
    restart_log_for_testing();
    log_line("site 0x%08X holds %02X", 0x53E4FFu, 0x90u);
    log_line("%s", "second");
    EXPECT_EQ(file_text(log_path()), "speedometer " SPEEDOMETER_VERSION "\r\n"
                                     "site 0x0053E4FF holds 90\r\nsecond\r\n");
}

TEST_F(module_log, shares_the_file_with_another_writer_and_only_appends) {
    log_line("first");
    const HANDLE other =
        CreateFileW(log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(other, "other\r\n", 7, &written, nullptr);
    log_line("second");
    WriteFile(other, "third\r\n", 7, &written, nullptr);
    CloseHandle(other);
    EXPECT_EQ(log_text(), "first\r\nother\r\nsecond\r\nthird\r\n");
}

TEST_F(module_log, sends_each_line_to_the_file_and_the_debugger_cut_alike) {
    void* real = tap_import(GetModuleHandleW(nullptr), "KERNEL32.dll", "OutputDebugStringA",
                            reinterpret_cast<void*>(&capture_debugger_line));
    ASSERT_NE(real, nullptr);
    const struct {
        std::size_t length;
        std::size_t kept;
    } cases[] = {{511, 511}, {512, 511}, {2000, 511}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        DeleteFileW(log_path().c_str());
        restart_log_for_testing();
        debugger_lines.clear();
        log_line("%s", std::string(c.length, 'x').c_str());
        const std::string line = std::string(c.kept, 'x') + "\r\n";
        EXPECT_EQ(log_text(), line);
        EXPECT_EQ(debugger_lines, std::vector<std::string>{"speedometer: " + line});
    }
    tap_import(GetModuleHandleW(nullptr), "KERNEL32.dll", "OutputDebugStringA", real);
}

} // namespace
