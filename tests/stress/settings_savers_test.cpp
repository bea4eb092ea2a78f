// Another program saving the settings file over and over, in each of the ways
// programs save, while new games read it: no game may start with the defaults
// or with half a file. Time is the module's clock (its GetTickCount and Sleep
// imports, tapped): a save starts once that clock has passed the saver's next
// time, racing the reads, and a pause of the module's lets a save under way
// end, as saves end well within the quarter second the module waits.
#include "files/module_files.hpp"
#include "settings/settings.hpp"
#include "settings/settings_reload.hpp"
#include "simhost/import_tap.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

wchar_t path[MAX_PATH];
volatile LONG clock_ms = 0;
volatile LONG slept_ms = 0;
volatile LONG saving = 0;
volatile LONG saves = 0;
volatile LONG stop = 0;
HANDLE ticked = nullptr;
int reads_during_saves = 0;

DWORD WINAPI module_clock() {
    return static_cast<DWORD>(clock_ms);
}

void WINAPI module_sleep(DWORD ms) {
    InterlockedExchangeAdd(&slept_ms, static_cast<LONG>(ms));
    InterlockedExchangeAdd(&clock_ms, static_cast<LONG>(ms));
    SetEvent(ticked);
    while (saving != 0) {
        SwitchToThread();
    }
}

decltype(&GetPrivateProfileSectionW) real_section_read = nullptr;

DWORD WINAPI counted_section_read(LPCWSTR section, LPWSTR text, DWORD capacity, LPCWSTR file) {
    const LONG saves_before = saves;
    const bool during = saving != 0;
    const DWORD length = real_section_read(section, text, capacity, file);
    reads_during_saves += during || saving != 0 || saves != saves_before ? 1 : 0;
    return length;
}

void write(HANDLE file, const std::string& text) {
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

HANDLE create(const wchar_t* name, DWORD share) {
    return CreateFileW(name, GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, 0, nullptr);
}

constexpr DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

void write_file(const wchar_t* name, const std::string& text) {
    const HANDLE file = create(name, shared);
    write(file, text);
    CloseHandle(file);
}

void spin_microseconds(int microseconds) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do {
        QueryPerformanceCounter(&now);
    } while ((now.QuadPart - start.QuadPart) * 1000000 < frequency.QuadPart * microseconds);
}

// Tried again while the module has the file open, as a program that saves
// this way would.
void move(const wchar_t* from, const wchar_t* to, DWORD flags) {
    while (!MoveFileExW(from, to, flags)) {
        DeleteFileW(flags == 0 ? to : L"");
        SwitchToThread();
    }
}

enum class way { truncate, truncate_held, delete_rename, two_pieces, rename_away, temp_rename };

void save(way how, const std::string& text, std::mt19937& random) {
    const std::wstring other = std::wstring(path) + L".new";
    const std::size_t half = text.size() / 2;
    HANDLE file = INVALID_HANDLE_VALUE;
    switch (how) {
    case way::truncate:
    case way::truncate_held:
        file = create(path, how == way::truncate ? shared : 0);
        write(file, text);
        break;
    case way::delete_rename:
        write_file(other.c_str(), text);
        DeleteFileW(path);
        move(other.c_str(), path, 0);
        break;
    case way::two_pieces:
    case way::rename_away:
        if (how == way::rename_away) {
            move(path, other.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        file = create(path, shared);
        write(file, text.substr(0, half));
        if (how == way::two_pieces) {
            spin_microseconds(5 + static_cast<int>(random() % 496));
        }
        write(file, text.substr(half));
        DeleteFileW(other.c_str());
        break;
    case way::temp_rename:
        write_file(other.c_str(), text);
        move(other.c_str(), path, MOVEFILE_REPLACE_EXISTING);
        break;
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

// The settings, and a comment a character longer or shorter at each save:
// the file system's times may be too coarse to tell apart two saves made
// within microseconds of each other, as they are in this run but not by the
// module's real clock, which waits a quarter of a second.
const std::string settings_text =
    "[speedometer]\nunits = mph\nscale = 1.5\noffset_x = 40\noffset_y = 20\n; saved";

way saver_way;

DWORD WINAPI save_in_a_loop(void*) {
    std::mt19937 random(static_cast<unsigned>(saver_way) + 1);
    LONG next = clock_ms + static_cast<LONG>(random() % 400);
    for (LONG n = 0; stop == 0;) {
        if (clock_ms - next < 0) {
            WaitForSingleObject(ticked, 10);
            continue;
        }
        saving = 1;
        save(saver_way, settings_text + (n++ % 2 == 0 ? "\n" : "!\n"), random);
        InterlockedIncrement(&saves);
        saving = 0;
        next = clock_ms + 1 + static_cast<LONG>(random() % 400);
    }
    return 0;
}

TEST(settings_savers, no_new_game_starts_with_the_defaults_or_half_a_file_being_saved) {
    ASSERT_TRUE(path_beside_module(L".ini", path, MAX_PATH));
    const HMODULE self = GetModuleHandleW(nullptr);
    const auto real_clock = tap_import(self, "KERNEL32.dll", "GetTickCount", &module_clock);
    const auto real_sleep = tap_import(self, "KERNEL32.dll", "Sleep", &module_sleep);
    real_section_read =
        tap_import(self, "KERNEL32.dll", "GetPrivateProfileSectionW", &counted_section_read);
    ASSERT_TRUE(real_clock != nullptr && real_sleep != nullptr && real_section_read != nullptr);
    ticked = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    wchar_t log[MAX_PATH];
    ASSERT_TRUE(path_beside_module(L".log", log, MAX_PATH));
    DeleteFileW(log);
    speedometer_settings expected;
    expected.units = speed_units::mph;
    expected.scale = 1.5f;
    expected.offset_x = 40.0f;
    expected.offset_y = 20.0f;
    const struct {
        way how;
        const char* name;
    } savers[] = {
        {way::truncate, "truncate, then write"},
        {way::truncate_held, "truncate while holding the file exclusively"},
        {way::delete_rename, "delete, then rename the new file in"},
        {way::two_pieces, "write in two pieces 5-500 us apart"},
        {way::rename_away, "rename the old file away, write a new one"},
        {way::temp_rename, "write a temporary file, then rename it over"},
    };
    std::mt19937 random(20261208);
    for (const auto& saver : savers) {
        write_file(path, settings_text + "\n");
        module_sleep(1000);
        load_settings_for_new_game(); // the game before, with the file as saved
        ASSERT_EQ(active_settings, expected) << saver.name;
        saver_way = saver.how;
        stop = 0;
        reads_during_saves = 0;
        const HANDLE thread = CreateThread(nullptr, 0, save_in_a_loop, nullptr, 0, nullptr);
        constexpr int games = 3000;
        int defaults = 0, halves = 0;
        LONG most_waited = 0;
        for (int game = 0; game < games; ++game) {
            // The game before lasts a while on the module's clock.
            InterlockedExchangeAdd(&clock_ms, static_cast<LONG>(random() % 1000));
            SetEvent(ticked);
            const LONG slept_before = slept_ms;
            load_settings_for_new_game();
            most_waited = std::max(most_waited, slept_ms - slept_before);
            const bool as_default = active_settings == speedometer_settings{};
            defaults += as_default ? 1 : 0;
            halves += !as_default && !(active_settings == expected) ? 1 : 0;
        }
        stop = 1;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        std::printf("saved by \"%s\": %d new games, %ld saves, %d reads during a save, %d with "
                    "the defaults, %d with half a file, at most %ld ms waited\n",
                    saver.name, games, saves, reads_during_saves, defaults, halves, most_waited);
        saves = 0;
        EXPECT_EQ(defaults, 0) << saver.name;
        EXPECT_EQ(halves, 0) << saver.name;
        EXPECT_LE(most_waited, 500) << saver.name;
    }
    tap_import(self, "KERNEL32.dll", "GetTickCount", real_clock);
    tap_import(self, "KERNEL32.dll", "Sleep", real_sleep);
    tap_import(self, "KERNEL32.dll", "GetPrivateProfileSectionW", real_section_read);
    CloseHandle(ticked);
    DeleteFileW(path);
    EXPECT_EQ(GetFileAttributesW(log), INVALID_FILE_ATTRIBUTES) << "no refusal logged";
}

} // namespace
