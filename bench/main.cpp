// Prints what a frame and a hooked host call cost the host.
#include "benchmarks.hpp"

#include "simhost/sim_host.hpp"

int main() {
    sim::install();
    run_display_benchmark();
    run_hooking_benchmark();
    return 0;
}
