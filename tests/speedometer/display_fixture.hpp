#pragma once
// Shared set-up for the display tests: the simulated host, the tables, and
// the host's quad draws read back from its call log.
#include "host/types.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>

#include <array>
#include <vector>

// Floats compared bit for bit; both values are printed on failure.
::testing::AssertionResult float_bits_equal(const char* actual_text, const char* expected_text,
                                            float actual, float expected);
#define EXPECT_FLOAT_BITS(actual, expected) EXPECT_PRED_FORMAT2(float_bits_equal, actual, expected)
#define ASSERT_FLOAT_BITS(actual, expected) ASSERT_PRED_FORMAT2(float_bits_equal, actual, expected)

class display_test : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Makes the test atlas, added to the host once, the module's texture.
    static host_texture* use_test_atlas();
};

// The host functions in the call log, in order.
std::vector<sim::host_fn> logged_functions();

// One host_draw_textured_quad from the call log, with the colour and the
// rectangle the records held when it was called.
struct quad_draw {
    host_color colour;
    host_rect rect;
    std::array<float, 8> uv; // left-top, right-top, left-bottom, right-bottom
};

// Every quad in the call log. Checks on the way that each quad gets one
// colour record for all four corners, was filled by host_make_color and
// host_make_rect, and is rendered by the very next host call.
std::vector<quad_draw> quad_draws();

// Texture coordinates of an atlas region given in atlas pixels, in the order
// the quad takes them.
std::array<float, 8> atlas_uv(int left, int top, int right, int bottom);

void expect_rect(const host_rect& actual, float left, float top, float right, float bottom);
void expect_uv(const std::array<float, 8>& actual, const std::array<float, 8>& expected);
void expect_colour(const host_color& actual, int red, int green, int blue, int alpha);
