// Renders whole frames with the test atlas through the simulated host's
// Direct3D 9 device and writes them as pictures, for a person to look at;
// checks on the way that nothing lands outside the speedometer's corner, that
// every sprite shows its own atlas region where the module's coordinates put
// it, and that the needle's tip points where the speed says.
#include "display_fixture.hpp"

#include "speedometer/frame.hpp"
#include "support/test_atlas.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr std::uint32_t backdrop = 0xFF402818; // dark blue-grey, opaque

class frame_pictures : public display_test {
  protected:
    void SetUp() override {
        display_test::SetUp();
        use_test_atlas();
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

std::uint32_t atlas_texel(double u, double v) {
    static const std::vector<std::uint32_t> atlas = test_atlas::pixels();
    const int x = std::clamp(static_cast<int>(u * test_atlas::width), 0, test_atlas::width - 1);
    const int y = std::clamp(static_cast<int>(v * test_atlas::height), 0, test_atlas::height - 1);
    return atlas[static_cast<std::size_t>(y) * test_atlas::width + x];
}

std::uint32_t tinted(std::uint32_t texel, const host_color& colour) {
    const auto scale = [](int channel, int by) {
        return static_cast<std::uint32_t>(channel * by / 255);
    };
    return scale(red(texel), colour.red) | scale(green(texel), colour.green) << 8 |
           scale(blue(texel), colour.blue) << 16 | 0xFF000000u;
}

::testing::AssertionResult shows(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    if (std::abs(red(actual) - red(expected)) <= tolerance &&
        std::abs(green(actual) - green(expected)) <= tolerance &&
        std::abs(blue(actual) - blue(expected)) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << std::hex << "pixel 0x" << actual << ", atlas says 0x" << expected;
}

// Points inside the opaque sprites, at fractions of their rectangles that
// fall on plain areas of the test atlas, so filtering cannot blur them.
struct sprite_probe {
    const char* name;
    std::size_t quad;
    float fx, fy;
};
constexpr sprite_probe sprite_probes[] = {
    {"dial face", 0, 0.776f, 0.6f},     {"hub ring", 2, 0.934f, 0.5f},
    {"status sprite", 3, 0.5f, 0.845f}, {"status digit", 4, 0.5f, 0.93f},
    {"number digit", 5, 0.5f, 0.92f},   {"number digit", 6, 0.5f, 0.92f},
    {"number digit", 7, 0.5f, 0.92f},
};

void expect_sprites_where_the_module_put_them() {
    const std::vector<quad_draw> quads = quad_draws();
    ASSERT_EQ(quads.size(), 8u);
    for (const sprite_probe& probe : sprite_probes) {
        const quad_draw& quad = quads[probe.quad];
        if (quad.colour.alpha != 255) {
            continue; // a faint leading zero shows what lies under it
        }
        const auto x =
            static_cast<int>(quad.rect.left + probe.fx * (quad.rect.right - quad.rect.left));
        const auto y =
            static_cast<int>(quad.rect.top + probe.fy * (quad.rect.bottom - quad.rect.top));
        const double u = quad.uv[0] + probe.fx * (quad.uv[2] - quad.uv[0]);
        const double v = quad.uv[1] + probe.fy * (quad.uv[5] - quad.uv[1]);
        EXPECT_TRUE(shows(sim::pixel(x, y), tinted(atlas_texel(u, v), quad.colour), 3))
            << probe.name << " " << probe.quad << " at " << x << ", " << y;
    }
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
            sim::clear_calls();
            draw_speedometer();
            EXPECT_TRUE(sim::write_frame_png(name + ".png"));
            expect_sprites_where_the_module_put_them();

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

            // The arc shows the colour wheel in its own direction: at 125
            // degrees, seven tenths out, the wheel's green.
            if (moment.speed > 0.1f) {
                const double a = 125.0 * std::numbers::pi / 180.0;
                const double r = 0.7 * scale_to_screen(145.0f);
                const int x = static_cast<int>(std::lround(pivot_x + r * std::cos(a)));
                const int y = static_cast<int>(std::lround(pivot_y + r * std::sin(a)));
                const std::uint32_t wheel =
                    atlas_texel((291.0 + 145.5 + 0.7 * 145.5 * std::cos(a)) / test_atlas::width,
                                (145.5 + 0.7 * 145.5 * std::sin(a)) / test_atlas::height);
                EXPECT_TRUE(shows(sim::pixel(x, y), wheel, 12)) << "arc at " << x << ", " << y;
            }
        }
    }
}

} // namespace
