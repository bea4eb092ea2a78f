// The log beside the module: absent until there is something to say, started
// afresh by the first line of a load, appended to afterwards.
#include "files/module_files.hpp"
#include "files/module_log.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string log_path() {
    char path[MAX_PATH];
    EXPECT_TRUE(path_beside_module(".log", path, sizeof path));
    return path;
}

std::string log_text() {
    std::ifstream file(log_path(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class module_log : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteFileA(log_path().c_str());
        restart_log_for_testing();
    }
    void TearDown() override { DeleteFileA(log_path().c_str()); }
};

TEST_F(module_log, is_named_after_the_module_file) {
    char own[MAX_PATH];
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string expected = own;
    expected.replace(expected.rfind('.'), std::string::npos, ".log");
    EXPECT_EQ(log_path(), expected);

    char tiny[8];
    EXPECT_FALSE(path_beside_module(".log", tiny, sizeof tiny));
}

TEST_F(module_log, starts_afresh_at_each_load_and_appends_after) {
    EXPECT_EQ(GetFileAttributesA(log_path().c_str()), INVALID_FILE_ATTRIBUTES);
    log_line("old run %d", 1);
    restart_log_for_testing();
    log_line("site 0x%08X holds %02X", 0x53E4FFu, 0x90u);
    log_line("%s", "second");
    EXPECT_EQ(log_text(), "site 0x0053E4FF holds 90\r\nsecond\r\n");
}

TEST_F(module_log, cuts_overlong_lines) {
    log_line("%s", std::string(2000, 'x').c_str());
    EXPECT_EQ(log_text(), std::string(511, 'x') + "\r\n");
}

} // namespace
