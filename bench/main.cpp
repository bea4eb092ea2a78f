// Prints what a frame and a hooked host call cost the host, and what the
// module's look at the host's code costs at start-up.
#include "benchmarks.hpp"

#include "simhost/sim_host.hpp"

int main() {
    sim::install();
    run_display_benchmark();
    run_hooking_benchmark();
    run_host_check_benchmark();
    return 0;
}
