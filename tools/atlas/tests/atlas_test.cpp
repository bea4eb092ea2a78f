#include "assets/texture_dictionary.hpp"
#include "atlas.hpp"
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dial_scale.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

namespace {

using atlas::region;

struct pixel {
    int r, g, b, a;
};

class AtlasTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height);
        atlas::draw_atlas(canvas);
        rgba_ = new std::vector<std::uint8_t>(canvas.straight_rgba());
    }
    static void TearDownTestSuite() {
        delete rgba_;
        rgba_ = nullptr;
    }

    static pixel at(int x, int y) {
        const std::size_t i = (static_cast<std::size_t>(y) * atlas::atlas_width + x) * 4;
        const auto& p = *rgba_;
        return {p[i], p[i + 1], p[i + 2], p[i + 3]};
    }
    static bool inside(const region& r, int x, int y) {
        return x >= r.left && x < r.right() && y >= r.top && y < r.bottom();
    }
    // Alpha of every pixel in a region, as a shape to compare.
    static std::vector<int> alpha_of(const region& r) {
        std::vector<int> shape;
        for (int y = r.top; y < r.bottom(); ++y)
            for (int x = r.left; x < r.right(); ++x)
                shape.push_back(at(x, y).a);
        return shape;
    }

    static std::vector<std::uint8_t>* rgba_;
};

std::vector<std::uint8_t>* AtlasTest::rgba_ = nullptr;

TEST(Unpremultiply, RestoresStraightColour) {
    const std::uint32_t argb[] = {0x80402000u, 0xFFFF8001u, 0x00000000u, 0x10FF0808u};
    std::uint8_t rgba[16];
    atlas::unpremultiply(argb, 4, rgba);
    // Half-covered: each channel doubles back to full strength.
    EXPECT_EQ(rgba[0], 128);
    EXPECT_EQ(rgba[1], 64);
    EXPECT_EQ(rgba[2], 0);
    EXPECT_EQ(rgba[3], 0x80);
    // Opaque: unchanged, and the word's bytes go to R, G, B, A in that order.
    EXPECT_EQ(rgba[4], 0xFF);
    EXPECT_EQ(rgba[5], 0x80);
    EXPECT_EQ(rgba[6], 0x01);
    EXPECT_EQ(rgba[7], 0xFF);
    // Fully transparent stays black, not undefined.
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(rgba[i], 0);
    // A channel above its alpha cannot come from cairo, but must not wrap.
    EXPECT_EQ(rgba[12], 255);
    EXPECT_EQ(rgba[13], 128);
}

TEST_F(AtlasTest, NothingIsDrawnOutsideTheRegionsOrOnTheirBorders) {
    const auto regions = atlas::all_regions();
    int stray = 0;
    for (int y = 0; y < atlas::atlas_height; ++y) {
        for (int x = 0; x < atlas::atlas_width; ++x) {
            bool in_interior = false;
            for (const auto& r : regions)
                in_interior |= x > r.left && x < r.right() - 1 && y > r.top && y < r.bottom() - 1;
            if (!in_interior && at(x, y).a != 0 && ++stray <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") drawn outside any sprite";
        }
    }
    EXPECT_EQ(stray, 0);
}

TEST_F(AtlasTest, EverySpriteHasSolidContent) {
    for (const auto& r : atlas::all_regions()) {
        int opaque = 0;
        for (int a : alpha_of(r))
            opaque += a == 255;
        EXPECT_GT(opaque, r.width * r.height / 50) << "region at " << r.left << ", " << r.top;
    }
}

TEST_F(AtlasTest, DigitsAreDistinctAndTintable) {
    std::set<std::vector<int>> large_shapes, small_shapes;
    for (int d = 0; d < 10; ++d) {
        large_shapes.insert(alpha_of(atlas::large_digit_cell(d)));
        small_shapes.insert(alpha_of(atlas::small_digit_cell(d)));
    }
    EXPECT_EQ(large_shapes.size(), 10u);
    EXPECT_EQ(small_shapes.size(), 10u);

    // The small digit takes the status colour exactly: white ink only. The
    // large digits may carry a dark rim, but no hue of their own.
    for (int d = 0; d < 10; ++d) {
        for (const bool large : {false, true}) {
            const region r = large ? atlas::large_digit_cell(d) : atlas::small_digit_cell(d);
            for (int y = r.top; y < r.bottom(); ++y) {
                for (int x = r.left; x < r.right(); ++x) {
                    const pixel p = at(x, y);
                    if (p.a == 0)
                        continue;
                    ASSERT_TRUE(p.r == p.g && p.g == p.b)
                        << "digit " << d << " at " << x << ", " << y;
                    if (!large) {
                        ASSERT_EQ(p.r, 255) << "digit " << d << " at " << x << ", " << y;
                    }
                }
            }
        }
    }
}

TEST_F(AtlasTest, StatusSpriteIsGreyWithADarkMiddleForTheDigit) {
    const region& r = atlas::status_sprite_region;
    for (int y = r.top; y < r.bottom(); ++y)
        for (int x = r.left; x < r.right(); ++x) {
            const pixel p = at(x, y);
            ASSERT_TRUE(p.r == p.g && p.g == p.b) << x << ", " << y;
        }
    // The digit is drawn in the same colour as the tint: it needs dark ground.
    const pixel middle = at(static_cast<int>(r.centre_x()), static_cast<int>(r.centre_y()) + 4);
    EXPECT_EQ(middle.a, 255);
    EXPECT_LT(middle.r, 60);
    const pixel rim = at(r.left + 3, static_cast<int>(r.centre_y()));
    EXPECT_GT(rim.r, 200);
}

TEST_F(AtlasTest, ProgressBandLiesOnTheDialsTrackOnly) {
    // Reveal wedges run from 110 degrees; outside the band's ring and the
    // sweep the image must be empty, or the arc would paint over the dial.
    const region& r = atlas::progress_band_region;
    const double margin = 5.0; // glow and anti-aliasing
    int lit = 0;
    for (int y = r.top; y < r.bottom(); ++y) {
        for (int x = r.left; x < r.right(); ++x) {
            const double dx = x + 0.5 - r.centre_x();
            const double dy = y + 0.5 - r.centre_y();
            const double radius = std::hypot(dx, dy);
            double angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
            if (angle < 90)
                angle += 360;
            if (at(x, y).a == 0)
                continue;
            ++lit;
            ASSERT_GT(radius, atlas::band_inner_radius - margin) << x << ", " << y;
            ASSERT_LT(radius, atlas::band_outer_radius + margin) << x << ", " << y;
            ASSERT_GT(angle, atlas::sweep_start_degrees - 1) << x << ", " << y;
        }
    }
    EXPECT_GT(lit, 0);

    // Along the ray at the middle of the sweep the band is opaque exactly
    // where the dial's track is, at the same distance from the centre.
    const double a = atlas::speed_angle(105) * std::numbers::pi / 180;
    const double middle = (atlas::band_inner_radius + atlas::band_outer_radius) / 2;
    const auto sample = [&](const region& where, double radius) {
        return at(static_cast<int>(where.centre_x() + radius * std::cos(a)),
                  static_cast<int>(where.centre_y() + radius * std::sin(a)));
    };
    EXPECT_EQ(sample(r, middle).a, 255);
    EXPECT_EQ(sample(r, atlas::band_inner_radius - margin - 2).a, 0);
    const pixel lit_band = sample(r, middle);
    const pixel track = sample(atlas::dial_face_region, middle);
    // The track shows the band's hue, dimmed.
    EXPECT_GT(track.r + track.g, track.b * 2);
    EXPECT_LT(track.r + track.g + track.b, lit_band.r + lit_band.g + lit_band.b);
}

TEST_F(AtlasTest, NeedleStandsUpAndRunsOnIntoTheHub) {
    const region& r = atlas::needle_region;
    int top = r.bottom(), bottom = r.top;
    for (int y = r.top; y < r.bottom(); ++y)
        for (int x = r.left; x < r.right(); ++x)
            if (at(x, y).a > 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    double weight = 0, moment = 0;
    for (int x = r.left; x < r.right(); ++x) {
        weight += at(x, top).a;
        moment += at(x, top).a * (x + 0.5);
    }
    const double top_x = moment / weight;
    EXPECT_LT(top, r.top + 12);
    EXPECT_NEAR(top_x, r.centre_x(), 0.5);
    EXPECT_EQ(bottom, r.bottom() - 2); // cut square at the last row short of the margin
}

TEST_F(AtlasTest, MphLabelsStandWhereTheNeedlePointsAtThatSpeed) {
    // The module turns the needle to 120 + 200 s degrees and shows s x 108.73996
    // as miles per hour, so v mph is at 120 + 200 v / 108.73996 degrees.
    const auto needle_degrees = [](double mph) { return 120.0 + 200.0 * mph / 108.73996; };
    const region& r = atlas::dial_face_mph_region;
    const double shrink = static_cast<double>(r.width) / atlas::dial_face_region.width;
    const auto labels = atlas::dial_labels(atlas::mph_dial);
    ASSERT_EQ(labels.size(), 7u); // 0 to 120 in steps of 20
    for (const auto& label : labels) {
        SCOPED_TRACE(label.speed);
        const double expected = needle_degrees(label.speed);
        double drawn_at = std::atan2(label.y, label.x) * 180 / std::numbers::pi;
        drawn_at += drawn_at < 90 ? 360 : 0;
        EXPECT_NEAR(drawn_at, expected, 0.01);

        // The label's ink in the shrunken face: bright pixels near the
        // label's point, inside the ring of ticks.
        const double px = r.centre_x() + label.x * shrink;
        const double py = r.centre_y() + label.y * shrink;
        double weight = 0, sum_x = 0, sum_y = 0;
        for (int y = r.top; y < r.bottom(); ++y) {
            for (int x = r.left; x < r.right(); ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                const bool near_label = std::hypot(cx - px, cy - py) < 8;
                const bool inside_ticks =
                    std::hypot(cx - r.centre_x(), cy - r.centre_y()) < 92 * shrink;
                const pixel p = at(x, y);
                if (near_label && inside_ticks && p.a > 200 && p.r > 128) {
                    weight += p.r;
                    sum_x += p.r * cx;
                    sum_y += p.r * cy;
                }
            }
        }
        ASSERT_GT(weight, 0);
        const double ink_degrees =
            std::atan2(sum_y / weight - r.centre_y(), sum_x / weight - r.centre_x()) * 180 /
            std::numbers::pi;
        EXPECT_NEAR(ink_degrees + (ink_degrees < 90 ? 360 : 0), expected, 3.0);
    }
}

TEST_F(AtlasTest, WritesTheHostsDictionaryLayout) {
    const txd::texture_image texture{"speedometer", atlas::atlas_width, atlas::atlas_height,
                                     *rgba_};
    const auto bytes = txd::encode({texture});
    EXPECT_EQ(bytes.size(), 2097320u);
    const auto decoded = txd::decode(bytes);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 1u);
    EXPECT_EQ((*decoded)[0].rgba, *rgba_);
}

} // namespace
