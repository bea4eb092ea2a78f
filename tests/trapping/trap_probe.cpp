// A signed overflow in code built like the trapping module: the program must
// end at the trap, and the run must name the function it happened in.
#include <gtest/gtest.h>

#include <climits>

namespace {

volatile int largest = INT_MAX; // read at run time: no overflow the compiler can fold

[[gnu::noinline]] int overflowing_sum(int a, int b) {
    return a + b;
}

TEST(trap_probe, a_signed_overflow_ends_the_program_at_the_trap) {
    EXPECT_EQ(overflowing_sum(largest, 1), 0) << "the overflow did not trap";
}

} // namespace
