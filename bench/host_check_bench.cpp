// What the look at the host's code costs at start-up, before the first write.
#include "benchmarks.hpp"

#include "injector/host_check.hpp"

#include <chrono>
#include <cstdio>

void run_host_check_benchmark() {
    constexpr int checks = 10'000;
    bool all_expected = true;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < checks; ++i) {
        all_expected = host_code_is_expected() && all_expected;
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("start-up: checking the five call sites: %.2f us (%d checks, %s)\n",
                elapsed.count() / checks, checks,
                all_expected ? "all as expected" : "NOT as expected");
}
