// Prints what a frame and a hooked host call cost the host, in process and
// through the real DLL, what the module's look at the host's code and its
// whole load cost at start-up, and the size of the DLL.
#include "benchmarks.hpp"

#include "simhost/sim_host.hpp"

int main() {
    sim::install();
    run_display_benchmark();
    run_hooking_benchmark();
    run_host_check_benchmark();
    run_module_frame_benchmark();
    run_module_load_benchmark();
    return 0;
}
