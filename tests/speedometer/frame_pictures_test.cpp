// Renders whole frames with the test atlas and writes them as pictures, for a
// person to look at; checks on the way that nothing lands outside the
// speedometer's corner and that the needle's tip points where the speed says.
#include "display_fixture.hpp"

#include "speedometer/frame.hpp"
#include "support/test_atlas.hpp"

#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr std::uint32_t backdrop = 0xFF402818; // dark blue-grey, opaque

class frame_pictures : public display_test {
  protected:
    void SetUp() override {
        display_test::SetUp();
        static host_texture* const atlas = test_atlas::add_to_host();
        speedometer_texture = atlas;
        sim::set_drawing_enabled(true);
    }

    void TearDown() override {
        sim::set_drawing_enabled(false);
        display_test::TearDown();
    }
};

int red(std::uint32_t pixel) {
    return static_cast<int>(pixel & 0xFF);
}
int green(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 8 & 0xFF);
}
int blue(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 16 & 0xFF);
}

TEST_F(frame_pictures, keep_to_the_corner_and_point_the_needle_with_the_speed) {
    const struct { int width, height; } screens[] = {{1920, 1080}, {1280, 720}, {1080, 1920}};
    const struct {
        float speed;
        std::uint8_t status;
        const char* name;
    } moments[] = {{0.0f, 0, "0"}, {0.5f, 3, "0.5"}, {1.2f, 12, "1.2"}};

    for (const auto& screen : screens) {
        sim::set_screen(screen.width, screen.height);
        const float w = static_cast<float>(screen.width);
        const float h = static_cast<float>(screen.height);
        const double pivot_x = w - scale_to_screen(209.0f);
        const double pivot_y = h - scale_to_screen(185.0f);
        const int box_left = static_cast<int>(w - scale_to_screen(354.0f)) - 2;
        const int box_top = static_cast<int>(h - scale_to_screen(330.0f)) - 2;
        const int box_right = static_cast<int>(w - scale_to_screen(50.0f)) + 2;
        const int box_bottom = static_cast<int>(h - scale_to_screen(40.0f)) + 2;

        for (const auto& moment : moments) {
            const std::string name = "display_" + std::to_string(screen.width) + "x" +
                                     std::to_string(screen.height) + "_speed_" + moment.name;
            SCOPED_TRACE(name);
            sim::clear_frame(backdrop);
            sim::vehicle_state vehicle;
            vehicle.kind = 2;
            vehicle.speed[1] = moment.speed;
            vehicle.status = moment.status;
            sim::set_vehicle(vehicle);
            draw_speedometer();
            EXPECT_TRUE(sim::write_frame_png(name + ".png"));

            int stray = 0;
            for (int y = 0; y < screen.height; ++y) {
                for (int x = 0; x < screen.width; ++x) {
                    const bool inside =
                        x >= box_left && x < box_right && y >= box_top && y < box_bottom;
                    if (!inside && sim::pixel(x, y) != backdrop) {
                        ++stray;
                    }
                }
            }
            EXPECT_EQ(stray, 0) << "pixels drawn outside the speedometer";

            // The red tip sits between 121 and 145 reference pixels from the pivot.
            const double direction = (moment.speed * 200.0 + 120.0) * std::numbers::pi / 180.0;
            const double reach = scale_to_screen(133.0f);
            const int tip_x = static_cast<int>(std::lround(pivot_x + reach * std::cos(direction)));
            const int tip_y = static_cast<int>(std::lround(pivot_y + reach * std::sin(direction)));
            const std::uint32_t tip = sim::pixel(tip_x, tip_y);
            EXPECT_GT(red(tip), 200) << "at " << tip_x << ", " << tip_y;
            EXPECT_LT(green(tip), 60) << "at " << tip_x << ", " << tip_y;
            EXPECT_LT(blue(tip), 60) << "at " << tip_x << ", " << tip_y;
        }
    }
}

} // namespace
