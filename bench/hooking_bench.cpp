// What a host call costs when it goes through a hooked site with one entry,
// against the same call with the site left to the host and against the least
// a detour can cost: a site that calls a stub which calls the original callee.
#include "benchmarks.hpp"

#include "injector/hooking.hpp"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using injector::address_t;

// Two small functions in code pages the simulated host leaves unused, each
// "call callee; ret", so that they run as a host call site runs.
constexpr address_t plain_caller = 0x901000;
constexpr address_t hooked_caller = 0x901010;
// The hand-written detour: its caller is shaped like the others, and its stub
// is "call callee; ret", the one extra call any detour adds.
constexpr address_t detoured_caller = 0x901020;
constexpr address_t detour_stub = 0x901030;

constexpr int calls_per_round = 1'000'000;
constexpr int rounds = 7;
constexpr int counted_calls = 10'000;

std::uint32_t callee_runs = 0;

__attribute__((noinline)) void* bench_callee() {
    ++callee_runs;
    return reinterpret_cast<void*>(callee_runs);
}

// "call callee; ret" at caller.
void write_caller(address_t caller, address_t callee) {
    std::uint8_t code[6] = {0xE8, 0, 0, 0, 0, 0xC3};
    const std::uint32_t displacement = callee - (caller + 5);
    std::memcpy(&code[1], &displacement, sizeof displacement);
    injector::write_bytes(caller, code, sizeof code, true);
}

using caller_code = std::uint32_t();

caller_code* as_function(address_t caller) {
    return reinterpret_cast<caller_code*>(caller);
}

// The fastest of several rounds, in nanoseconds per call.
double nanoseconds_per_call(address_t caller) {
    caller_code* const call = as_function(caller);
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls_per_round; ++i) {
            call();
        }
        const std::chrono::duration<double, std::nano> elapsed =
            std::chrono::steady_clock::now() - start;
        const double per_call = elapsed.count() / calls_per_round;
        if (round == 0 || per_call < best) {
            best = per_call;
        }
    }
    return best;
}

} // namespace

void run_hooking_benchmark() {
    const auto callee = reinterpret_cast<address_t>(&bench_callee);
    write_caller(plain_caller, callee);
    write_caller(hooked_caller, callee);
    write_caller(detour_stub, callee);
    write_caller(detoured_caller, detour_stub);

    // The event dispatch's shape: one entry that calls next once.
    injector::function_hooker<hooked_caller, void*()> hooker{
        [](std::function<void*()> next) { return next(); }};

    const double plain = nanoseconds_per_call(plain_caller);
    const double hooked = nanoseconds_per_call(hooked_caller);
    const double detoured = nanoseconds_per_call(detoured_caller);

    const std::uint64_t allocations_before = heap_allocations();
    for (int i = 0; i < counted_calls; ++i) {
        as_function(hooked_caller)();
    }
    const std::uint64_t allocations = heap_allocations() - allocations_before;

    std::printf("hooking: host call, site unhooked: %.2f ns a call (best of %d x %d calls)\n",
                plain, rounds, calls_per_round);
    std::printf("hooking: host call through a hooked site with one entry: %.2f ns a call\n",
                hooked);
    std::printf("hooking: hooked / unhooked: %.2f\n", hooked / plain);
    std::printf("hooking: host call through a hand-written minimal detour (call stub; stub calls "
                "the callee): %.2f ns a call\n",
                detoured);
    std::printf("hooking: hooked with one entry / minimal detour: %.2f (%.2f ns more a call)\n",
                hooked / detoured, hooked - detoured);
    std::printf("hooking: heap allocations in %d hooked calls: %u\n", counted_calls,
                static_cast<unsigned>(allocations));
}
