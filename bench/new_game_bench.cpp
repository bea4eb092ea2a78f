// What a game start costs through the real DLL on the real clock, by how the
// settings file stands: unchanged for ten minutes at the first game after the
// module loads, unchanged at a later game, deleted during the game before,
// missing, and saved just before. Only a file saved within the settle time
// is to be waited for.
#include "benchmarks.hpp"

#include "bench_files.hpp"
#include "round_figures.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int rounds = 7;
constexpr char settings_text[] = "[speedometer]\nunits = kmh\nscale = 1.0\n";

enum start { first_unchanged, later_unchanged, deleted_in_game, missing, just_saved, starts };
const char* const start_names[starts] = {
    "first game, file unchanged for 10 min", "later game, file unchanged",
    "file deleted during the game before", "no file", "file saved just before"};

double milliseconds_of_init() {
    const auto begin = std::chrono::steady_clock::now();
    sim::run_event_site(sim::event_site::init);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
        .count();
}

void next_game() {
    sim::run_event_site(sim::event_site::shutdown);
}

// Frames for a second and a half: the module looks at the file within it.
void play_frames() {
    for (int frame = 0; frame < 75; ++frame) {
        sim::run_event_site(sim::event_site::draw);
        Sleep(20);
    }
}

void write_settings(const std::string& path, bool ten_minutes_old) {
    std::ofstream(path, std::ios::binary) << settings_text;
    if (!ten_minutes_old) {
        return;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 600ull * 10'000'000;
    const FILETIME old{time.LowPart, time.HighPart};
    const HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);
}

} // namespace

void run_new_game_benchmark() {
    const std::string folder = bench_folder();
    const std::string asset_root = folder + "assets\\";
    const std::string settings_path = folder + "speedometer.ini";
    if (!write_dictionary(asset_root)) {
        std::printf("new game: cannot write %smodels\\speedometer.txd\n", asset_root.c_str());
        return;
    }
    sim::reset_state();
    sim::set_asset_root(asset_root);
    sim::set_call_logging(false);
    sim::set_drawing_enabled(false);
    std::vector<double> times[starts];
    for (int round = 0; round < rounds; ++round) {
        write_settings(settings_path, true);
        HMODULE module = LoadLibraryA((folder + "speedometer.dll").c_str());
        if (module == nullptr) {
            std::printf("new game: LoadLibrary failed with %lu\n", GetLastError());
            return;
        }
        times[first_unchanged].push_back(milliseconds_of_init());
        play_frames();
        next_game();
        times[later_unchanged].push_back(milliseconds_of_init());
        DeleteFileA(settings_path.c_str());
        play_frames();
        next_game();
        times[deleted_in_game].push_back(milliseconds_of_init());
        next_game();
        times[missing].push_back(milliseconds_of_init());
        write_settings(settings_path, false);
        next_game();
        times[just_saved].push_back(milliseconds_of_init());
        next_game();
        FreeLibrary(module);
        DeleteFileA(settings_path.c_str());
    }
    sim::reset_state();
    for (int which = 0; which < starts; ++which) {
        const round_figures figures = figures_of(times[which]);
        std::printf("new game: %s: %.1f ms (median %.1f, worst %.1f; %d rounds)\n",
                    start_names[which], figures.best, figures.median,
                    *std::max_element(times[which].begin(), times[which].end()), rounds);
    }
}
