// What a plug-in loader waits for: LoadLibrary of the module, which returns
// with the host's call sites taken over, against LoadLibrary of a module that
// does nothing but is built and linked the same way; and the file players
// install.
#include "benchmarks.hpp"

#include "bench_files.hpp"
#include "round_figures.hpp"
#include "simhost/sim_host.hpp"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int cycles = 200;

struct load_figures {
    round_figures load;  // LoadLibrary alone, in microseconds
    round_figures cycle; // LoadLibrary and FreeLibrary, in microseconds
    bool loaded;
};

using clock_type = std::chrono::steady_clock;

double microseconds_between(clock_type::time_point start, clock_type::time_point end) {
    return std::chrono::duration<double, std::micro>(end - start).count();
}

load_figures time_load_cycles(const std::string& path) {
    std::vector<double> loads;
    std::vector<double> whole_cycles;
    for (int i = 0; i < cycles; ++i) {
        const auto start = clock_type::now();
        HMODULE module = LoadLibraryA(path.c_str());
        const auto loaded = clock_type::now();
        if (module == nullptr) {
            return {{}, {}, false};
        }
        FreeLibrary(module);
        const auto freed = clock_type::now();
        loads.push_back(microseconds_between(start, loaded));
        whole_cycles.push_back(microseconds_between(start, freed));
    }
    return {figures_of(loads), figures_of(whole_cycles), true};
}

void print_load_figures(const char* name, const load_figures& figures) {
    if (!figures.loaded) {
        std::printf("load: %s: LoadLibrary failed with %lu\n", name, GetLastError());
        return;
    }
    std::printf("load: %s: LoadLibrary %.0f us (median %.0f), LoadLibrary + FreeLibrary %.0f us "
                "(median %.0f; best of %d cycles)\n",
                name, figures.load.best, figures.load.median, figures.cycle.best,
                figures.cycle.median, cycles);
}

} // namespace

void run_module_load_benchmark() {
    const std::string folder = bench_folder();
    const std::string module_path = folder + "speedometer.dll";
    const std::string empty_path = folder + "empty_module.dll";

    sim::reset_state();
    // The in-process benchmarks leave their own code in spare host pages;
    // what counts is what the module changes and leaves.
    const std::vector<std::uint32_t> changed_before_load = sim::changed_code_bytes();
    // The figures mean what they say only if the module's LoadLibrary does
    // return with the sites taken over.
    std::size_t bytes_changed_at_load = 0;
    if (HMODULE module = LoadLibraryA(module_path.c_str())) {
        bytes_changed_at_load = sim::changed_code_bytes().size() - changed_before_load.size();
        FreeLibrary(module);
    }
    const load_figures empty = time_load_cycles(empty_path);
    const load_figures module = time_load_cycles(module_path);
    const bool code_back = sim::changed_code_bytes() == changed_before_load;

    print_load_figures("empty_module.dll (does nothing)", empty);
    print_load_figures("speedometer.dll (returns with its hooks in place)", module);
    if (empty.loaded && module.loaded) {
        std::printf("load: the module's start-up adds %.0f us to LoadLibrary (%zu host code "
                    "bytes changed on return); host code %s after %d cycles\n",
                    module.load.best - empty.load.best, bytes_changed_at_load,
                    code_back ? "given back" : "NOT GIVEN BACK", cycles);
    }

    const std::int64_t size = file_size(module_path);
    const std::int64_t empty_size = file_size(empty_path);
    std::printf("size: speedometer.dll, stripped: %lld bytes (%.1f KiB); empty_module.dll: %lld "
                "bytes\n",
                static_cast<long long>(size), static_cast<double>(size) / 1024.0,
                static_cast<long long>(empty_size));
}
