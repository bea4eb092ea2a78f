#include "display_fixture.hpp"

#include "host/addresses.hpp"
#include "speedometer/frame.hpp"

#include <limits>

namespace {

using scale_to_screen_test = display_test;

// Screen sizes no frame buffer could have: written straight into the host's
// globals, past the simulator's frame.
void set_screen_globals(std::int32_t width, std::int32_t height) {
    *reinterpret_cast<std::int32_t*>(host_address::screen_width) = width;
    *reinterpret_cast<std::int32_t*>(host_address::screen_height) = height;
}

TEST_F(scale_to_screen_test, keeps_whole_lengths_on_a_1080_pixel_short_side) {
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1080, 1920}}) {
        sim::set_screen(width, height);
        for (int k = 0; k <= 4000; ++k) {
            ASSERT_FLOAT_BITS(scale_to_screen(static_cast<float>(k)), static_cast<float>(k))
                << width << "x" << height << ", length " << k;
        }
        EXPECT_FLOAT_BITS(scale_to_screen(100.8f), 100.0f);
    }
}

TEST_F(scale_to_screen_test, truncates_scaled_lengths_to_whole_pixels) {
    sim::set_screen(1280, 720);
    for (int k = 0; k <= 4000; ++k) {
        ASSERT_FLOAT_BITS(scale_to_screen(static_cast<float>(k)), static_cast<float>(2 * k / 3))
            << "length " << k;
    }
    EXPECT_FLOAT_BITS(scale_to_screen(354.0f), 236.0f);
    EXPECT_FLOAT_BITS(scale_to_screen(64.0f), 42.0f);
    EXPECT_FLOAT_BITS(scale_to_screen(100.8f), 67.0f);
}

TEST_F(scale_to_screen_test, uses_the_shorter_side) {
    const struct {
        int width, height;
        float expected;
    } screens[] = {{1024, 768, 252.0f},
                   {800, 600, 197.0f},
                   {3840, 2160, 710.0f},
                   {1600, 1600, 525.0f},
                   {600, 800, 197.0f}};
    for (const auto& screen : screens) {
        sim::set_screen(screen.width, screen.height);
        EXPECT_FLOAT_BITS(scale_to_screen(355.0f), screen.expected)
            << screen.width << "x" << screen.height;
    }
}

TEST_F(scale_to_screen_test, stays_defined_for_absurd_screens_and_lengths) {
    set_screen_globals(0, 0);
    EXPECT_FLOAT_BITS(scale_to_screen(354.0f), 0.0f);
    set_screen_globals(-1920, 1080);
    EXPECT_FLOAT_BITS(scale_to_screen(354.0f), -629.0f);
    constexpr std::int32_t widest = std::numeric_limits<std::int32_t>::max();
    set_screen_globals(widest, widest);
    EXPECT_FLOAT_BITS(scale_to_screen(354.0f), 703897408.0f);
    sim::set_screen(1920, 1080);
    EXPECT_FLOAT_BITS(scale_to_screen(1e30f), 2147483648.0f);
    EXPECT_FLOAT_BITS(scale_to_screen(-1e30f), -2147483648.0f);
    EXPECT_FLOAT_BITS(scale_to_screen(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

} // namespace
