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
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

wchar_t path[MAX_PATH];
std::wstring other;
volatile LONG clock_ms = 0, slept_ms = 0, saving = 0, stop = 0;
HANDLE ticked = nullptr;
const char* steps = "";
constexpr DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

void put(HANDLE file, const std::string& text) {
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Tried again while the module has the file open, as a program would.
void move(const wchar_t* from, const wchar_t* to, DWORD flags) {
    while (!MoveFileExW(from, to, flags)) {
        DeleteFileW(flags == 0 ? to : L"");
        SwitchToThread();
    }
}

// One save, step by step: w (x) the file truncated, shared (held shut), and
// written; n a new file written beside it; d the file deleted; m (r) the new
// file renamed in (over it); a the file renamed away; 1 the file truncated
// and its first half written, p a pause of 5-500 us, 2 its second half.
void save(const std::string& text, std::mt19937& random) {
    HANDLE file = INVALID_HANDLE_VALUE;
    const auto open = [&](const wchar_t* name, DWORD share) {
        file = CreateFileW(name, GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, 0, nullptr);
    };
    for (const char* step = steps; *step != '\0'; ++step) {
        switch (*step) {
        case 'w':
        case 'x':
        case 'n':
            open(*step == 'n' ? other.c_str() : path, *step == 'x' ? 0 : shared);
            put(file, text);
            CloseHandle(file);
            break;
        case 'd':
            DeleteFileW(path);
            break;
        case 'm':
        case 'r':
            move(other.c_str(), path, *step == 'r' ? MOVEFILE_REPLACE_EXISTING : 0);
            break;
        case 'a':
            move(path, other.c_str(), MOVEFILE_REPLACE_EXISTING);
            break;
        case '1':
            open(path, shared);
            put(file, text.substr(0, text.size() / 2));
            break;
        case 'p': {
            LARGE_INTEGER frequency, start, now;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            const LONGLONG microseconds = 5 + random() % 496;
            do {
                QueryPerformanceCounter(&now);
            } while ((now.QuadPart - start.QuadPart) * 1000000 < frequency.QuadPart * microseconds);
            break;
        }
        case '2':
            put(file, text.substr(text.size() / 2));
            CloseHandle(file);
            break;
        }
    }
}

// The settings, and a comment a character longer or shorter at each save:
// the file system's times may be too coarse to tell apart two saves made
// microseconds apart, as they are in this run but not by the module's real
// clock, which waits a quarter of a second.
const std::string settings_text =
    "[speedometer]\nunits = mph\nscale = 1.5\noffset_x = 40\noffset_y = 20\n; saved";

DWORD WINAPI save_in_a_loop(void* saves) {
    std::mt19937 random(static_cast<unsigned>(std::char_traits<char>::length(steps)));
    for (LONG next = clock_ms + static_cast<LONG>(random() % 400); stop == 0;) {
        if (clock_ms - next < 0) {
            WaitForSingleObject(ticked, 10);
            continue;
        }
        saving = 1;
        save(settings_text + (++*static_cast<int*>(saves) % 2 == 0 ? "\n" : "!\n"), random);
        saving = 0;
        next = clock_ms + 1 + static_cast<LONG>(random() % 400);
    }
    return 0;
}

TEST(settings_savers, no_new_game_starts_with_the_defaults_or_half_a_file_being_saved) {
    wchar_t log[MAX_PATH];
    ASSERT_TRUE(path_beside_module(L".ini", path, MAX_PATH));
    ASSERT_TRUE(path_beside_module(L".log", log, MAX_PATH));
    DeleteFileW(log);
    other = std::wstring(path) + L".new";
    const HMODULE self = GetModuleHandleW(nullptr);
    const auto real_clock = tap_import(self, "KERNEL32.dll", "GetTickCount", &module_clock);
    const auto real_sleep = tap_import(self, "KERNEL32.dll", "Sleep", &module_sleep);
    ASSERT_TRUE(real_clock != nullptr && real_sleep != nullptr);
    ticked = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const speedometer_settings expected = {speed_units::mph, 1.5f, 40.0f, 20.0f};
    const struct {
        const char* steps;
        const char* name;
    } savers[] = {
        {"w", "truncate, then write"},
        {"x", "truncate while holding the file exclusively"},
        {"ndm", "delete, then rename the new file in"},
        {"1p2", "write in two pieces 5-500 us apart"},
        {"a12", "rename the old file away, write a new one"},
        {"nr", "write a temporary file, then rename it over"},
    };
    std::mt19937 random(20261208);
    for (const auto& saver : savers) {
        steps = "w";
        int saves = 0;
        save(settings_text + "\n", random);
        module_sleep(1000);
        load_settings_for_new_game(); // the game before, with the file as saved
        ASSERT_EQ(active_settings, expected) << saver.name;
        steps = saver.steps;
        stop = 0;
        const HANDLE thread = CreateThread(nullptr, 0, save_in_a_loop, &saves, 0, nullptr);
        constexpr int games = 3000;
        int defaults = 0, halves = 0;
        LONG most_waited = 0;
        for (int game = 0; game < games; ++game) {
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
        std::printf("saved by \"%s\": %d new games, %d saves, %d with the defaults, %d with half "
                    "a file, at most %ld ms waited\n",
                    saver.name, games, saves, defaults, halves, most_waited);
        EXPECT_EQ(defaults, 0) << saver.name;
        EXPECT_EQ(halves, 0) << saver.name;
        EXPECT_LE(most_waited, 500) << saver.name;
    }
    tap_import(self, "KERNEL32.dll", "GetTickCount", real_clock);
    tap_import(self, "KERNEL32.dll", "Sleep", real_sleep);
    CloseHandle(ticked);
    DeleteFileW(path);
    DeleteFileW(other.c_str());
    // A saver that holds the file shut may be told of; a half file's value
    // may not.
    std::ifstream text(log);
    const std::string logged((std::istreambuf_iterator<char>(text)), {});
    EXPECT_EQ(logged.find("is not allowed"), std::string::npos) << logged;
}

} // namespace
