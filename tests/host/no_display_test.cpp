// Drawing with no X display to draw on: CTest runs this program with DISPLAY
// unset. The device cannot start, and the simulated host says what is
// missing instead of crashing or handing out a picture without the draws.
#include "host/functions.hpp"
#include "simhost/sim_host.hpp"

#include <gtest/gtest.h>

namespace {

TEST(drawing_without_a_display, names_what_is_missing_and_writes_no_picture) {
    sim::reset_state();
    sim::set_drawing_enabled(true);
    sim::set_screen(64, 48);
    sim::clear_frame(0xFF302010);
    screen_vertex triangle[3] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                 {64, 0, 0, 1, 0xFFFFFFFF, 1, 0},
                                 {0, 48, 0, 1, 0xFFFFFFFF, 0, 1}};
    EXPECT_EQ(host_render_2d(primitive_triangle_fan, triangle, 3), 0u);
    host_render_2d(primitive_triangle_fan, triangle, 3);

    const std::string error = sim::drawing_error();
    EXPECT_NE(error.find("DISPLAY is not set"), std::string::npos) << error;
    EXPECT_NE(error.find("xvfb-run"), std::string::npos) << error;
    EXPECT_FALSE(sim::write_frame_png("no_display.png"));
    EXPECT_EQ(sim::pixel(1, 1), 0xFF302010u) << "the frame is as it was painted";
    EXPECT_EQ(sim::count_of(sim::host_fn::render_2d), 2u) << "render calls are still logged";
}

} // namespace
