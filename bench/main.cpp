// Prints what a frame and a hooked host call cost the host, in process and
// through the real DLL, what the module's look at the host's code and its
// whole load cost at start-up, and the size of the DLL.
#include "benchmarks.hpp"

#include "bench_files.hpp"
#include "simhost/file_version.hpp"
#include "simhost/sim_host.hpp"

#include <cstdio>
#include <string>

// With an argument, only the benchmark of that name: new_game.
int main(int argc, char** argv) {
    const sim::file_version_info version =
        sim::read_file_version(bench_folder() + "speedometer.dll");
    std::printf("module: speedometer.dll version %s\n",
                version.product_version.empty() ? "(none)" : version.product_version.c_str());
    sim::install();
    if (argc > 1 && std::string(argv[1]) == "new_game") {
        run_new_game_benchmark();
        return 0;
    }
    run_display_benchmark();
    run_hooking_benchmark();
    run_host_check_benchmark();
    run_module_frame_benchmark();
    run_module_load_benchmark();
    run_new_game_benchmark();
    return 0;
}
