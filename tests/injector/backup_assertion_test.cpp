// The one assertion of the patching layer: a backup larger than its buffer.
#include "code_pages.hpp"
#include "injector/scoped_bytes.hpp"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

using namespace test;
using backup = injector::scoped_basic<5>;

// The import slot through which the module reaches the C run-time's _assert.
extern "C" void(__cdecl* _imp___assert)(const char*, const char*, unsigned);

namespace {

// Source bytes with a marked sixth byte, as writable data.
std::array<std::uint8_t, 8> source = {1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE};

TEST(backup_assertion_death, a_backup_larger_than_its_buffer_is_reported_as_a_failed_assert) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            backup held;
            held.save_bytes(address_of(source), 6, false);
        },
        "Assertion failed: size <= bufsize, file injector/hooking, line 82");
}

struct assertion_report {
    int count = 0;
    std::string expression;
    std::string file;
    unsigned line = 0;
};
assertion_report reported;

void __cdecl record_assertion(const char* expression, const char* file, unsigned line) {
    ++reported.count;
    reported.expression = expression;
    reported.file = file;
    reported.line = line;
}

// Puts a recorder in the run-time's place for _assert, so that the process
// goes on after the report.
class assertion_catcher {
  public:
    assertion_catcher() { swap_in(&record_assertion); }
    ~assertion_catcher() { swap_in(original); }

  private:
    using reporter = void(__cdecl*)(const char*, const char*, unsigned);
    void swap_in(reporter replacement) {
        DWORD previous = 0;
        VirtualProtect(&_imp___assert, sizeof _imp___assert, PAGE_READWRITE, &previous);
        _imp___assert = replacement;
        VirtualProtect(&_imp___assert, sizeof _imp___assert, previous, &previous);
    }
    reporter original = _imp___assert;
};

TEST(backup_assertion, names_the_condition_the_hooking_header_and_its_line) {
    assertion_catcher catcher;
    reported = {};
    backup held;
    held.save_bytes(address_of(source), 6, false);

    EXPECT_EQ(reported.count, 1);
    EXPECT_EQ(reported.expression, "size <= bufsize");
    EXPECT_EQ(reported.file, "injector/hooking");
    EXPECT_EQ(reported.line, 82u);
}

TEST(backup_assertion, a_process_that_goes_on_keeps_only_what_fits) {
    assertion_catcher catcher;
    source = {1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE};
    {
        backup held;
        held.save_bytes(address_of(source), 6, false);
        // An overflow of saved_bytes would land in the fields after it.
        EXPECT_EQ(held.backup_address(), address_of(source));
        EXPECT_EQ(held.backup_size(), 5u);
        EXPECT_TRUE(held.holds_backup());
        EXPECT_EQ((std::vector<std::uint8_t>(held.saved(), held.saved() + 5)),
                  (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
        source.fill(0);
    }
    EXPECT_EQ(source, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 0, 0, 0}));
}

TEST(backup_assertion, is_not_made_for_a_backup_that_fits) {
    assertion_catcher catcher;
    reported = {};
    backup held;
    held.save_bytes(address_of(source), 5, false);
    EXPECT_EQ(reported.count, 0);
}

} // namespace
