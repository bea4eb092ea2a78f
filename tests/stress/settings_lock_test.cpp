// Another program (a backup tool, a virus scanner) that opens the settings
// file exclusively for a moment, then lets go for as long, over and over,
// while the settings are read: a read may be cut short, and is then thrown
// away, but no read may come back whole with other settings than the file's.
#include "settings/settings.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace std::string_literals;

constexpr wchar_t path[] = L".\\locked_settings.ini";
LONGLONG held_ticks = 0; // held for this long, then let go for as long
volatile LONG stop = 0;

void spin(LONGLONG ticks) {
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    do {
        QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < ticks);
}

DWORD WINAPI hold_and_let_go(void*) {
    while (stop == 0) {
        const HANDLE held = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        spin(held_ticks);
        CloseHandle(held);
        spin(held_ticks);
    }
    return 0;
}

TEST(settings_lock, a_file_held_shut_now_and_then_never_reads_as_other_settings) {
    speedometer_settings expected;
    expected.units = speed_units::mph;
    expected.scale = 2.0f;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const struct {
        const char* name;
        std::string text;
    } files[] = {{"plain", "[speedometer]\nunits = mph\nscale = 2\n"},
                 {"byte-order mark", "\xEF\xBB\xBF[speedometer]\nunits = mph\nscale = 2\n"},
                 {"UTF-16 big-endian",
                  "\xFE\xFF\0[\0s\0p\0e\0e\0d\0o\0m\0e\0t\0e\0r\0]\0\n\0u\0n\0i\0t\0s\0="
                  "\0m\0p\0h\0\n\0s\0c\0a\0l\0e\0=\0"
                  "2"s}};
    for (const auto& file : files) {
        std::ofstream(path, std::ios::binary) << file.text;
        read_settings_file(path); // as a first game, before anything holds it
        for (const int microseconds : {200, 1000, 5000}) {
            held_ticks = frequency.QuadPart * microseconds / 1000000;
            stop = 0;
            const HANDLE thread = CreateThread(nullptr, 0, hold_and_let_go, nullptr, 0, nullptr);
            constexpr int reads = 5000;
            int cut_short = 0, wrong = 0;
            for (int i = 0; i < reads; ++i) {
                const settings_file_read read = read_settings_file(path);
                cut_short += read.complete ? 0 : 1;
                wrong += read.complete && !(read.settings == expected) ? 1 : 0;
            }
            stop = 1;
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            std::printf("%s settings file held shut for %d us at a time: %d reads, %d cut short, "
                        "%d wrong\n",
                        file.name, microseconds, reads, cut_short, wrong);
            EXPECT_EQ(wrong, 0) << file.name << ", " << microseconds << " us";
        }
    }
    DeleteFileW(path);
}

} // namespace
