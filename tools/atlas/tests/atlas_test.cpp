#include "assets/mip_chain.hpp"
#include "assets/texture_dictionary.hpp"
#include "atlas.hpp"
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dial_scale.hpp"

#include <gtest/gtest.h>

#include <algorithm>
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
        // At one texture pixel a layout pixel, so the checks below read the
        // artwork in the module's own coordinates.
        atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height);
        atlas::draw_atlas(canvas, atlas::kmh_dial);
        rgba_ = new std::vector<std::uint8_t>(canvas.straight_rgba());
    }
    static void TearDownTestSuite() {
        delete rgba_;
        rgba_ = nullptr;
    }

    static pixel at(int x, int y, const std::vector<std::uint8_t>& p = *rgba_) {
        const std::size_t i = (static_cast<std::size_t>(y) * atlas::atlas_width + x) * 4;
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
    const pixel rim = at(r.left + 5, static_cast<int>(r.centre_y()));
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
    atlas::canvas mph(atlas::atlas_width, atlas::atlas_height);
    atlas::draw_atlas(mph, atlas::mph_dial);
    const auto mph_rgba = mph.straight_rgba();
    // The mph face takes the km/h face's place, at full size.
    const region& r = atlas::dial_face_region;
    const auto labels = atlas::dial_labels(atlas::mph_dial);
    ASSERT_EQ(labels.size(), 7u); // 0 to 120 in steps of 20
    for (const auto& label : labels) {
        SCOPED_TRACE(label.speed);
        const double expected = needle_degrees(label.speed);
        double drawn_at = std::atan2(label.y, label.x) * 180 / std::numbers::pi;
        drawn_at += drawn_at < 90 ? 360 : 0;
        EXPECT_NEAR(drawn_at, expected, 0.01);

        // The label's ink in the face: bright pixels near the
        // label's point, inside the ring of ticks.
        const double px = r.centre_x() + label.x;
        const double py = r.centre_y() + label.y;
        double weight = 0, sum_x = 0, sum_y = 0;
        for (int y = r.top; y < r.bottom(); ++y) {
            for (int x = r.left; x < r.right(); ++x) {
                const double cx = x + 0.5, cy = y + 0.5;
                const bool near_label = std::hypot(cx - px, cy - py) < 8;
                const bool inside_ticks = std::hypot(cx - r.centre_x(), cy - r.centre_y()) < 92;
                const pixel p = at(x, y, mph_rgba);
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

// The texture as the game gets it: twice the layout's size with every mip
// level, in which no sprite reaches into another's region at the levels a
// 1280 x 720 screen at half scale samples (the face is 97 pixels there, 6
// texels a pixel: levels 2 and 3).
TEST(FullSizeAtlas, IsADictionaryOfTwelveLevelsWhoseSpritesKeepApart) {
    atlas::canvas canvas(atlas::atlas_width, atlas::atlas_height, atlas::texture_scale);
    atlas::draw_atlas(canvas, atlas::kmh_dial);
    txd::texture_image texture;
    texture.name = "speedometer";
    texture.width = canvas.width();
    texture.height = canvas.height();
    texture.rgba = canvas.straight_rgba();
    ASSERT_EQ(texture.width, 2048);
    ASSERT_EQ(texture.height, 1024);
    texture.mip_levels = txd::make_mip_levels(texture.width, texture.height, texture.rgba);
    texture.filter_mode = 6;
    const auto decoded = txd::decode(txd::encode({texture}));
    ASSERT_TRUE(decoded);
    ASSERT_EQ((*decoded)[0].mip_levels.size(), 11u);
    EXPECT_EQ((*decoded)[0].mip_levels, texture.mip_levels);

    // The rest of the atlas without the region: its levels, sampled bilinearly
    // anywhere on the region's outline, must show (almost) nothing, so the
    // sprite's quad draws no fringe of its neighbours.
    constexpr int deepest_level = 3;
    for (const region& r : atlas::all_regions()) {
        std::vector<std::uint8_t> others = texture.rgba;
        for (int y = r.top * 2; y < r.bottom() * 2; ++y)
            for (int x = r.left * 2; x < r.right() * 2; ++x)
                others[(static_cast<std::size_t>(y) * texture.width + x) * 4 + 3] = 0;
        const auto levels = txd::make_mip_levels(texture.width, texture.height, others);
        for (int level = 1; level <= deepest_level; ++level) {
            const auto& pixels = levels[static_cast<std::size_t>(level) - 1];
            const int w = texture.width >> level;
            const int h = texture.height >> level;
            const double texels_per_layout = 2.0 / (1 << level);
            const auto alpha = [&](int x, int y) {
                x = std::clamp(x, 0, w - 1);
                y = std::clamp(y, 0, h - 1);
                return pixels[(static_cast<std::size_t>(y) * w + x) * 4 + 3];
            };
            // The worst place is the region's edge itself: a bilinear sample
            // there takes the two texels around it.
            double worst = 0;
            for (double t = 0; t <= 1; t += 1.0 / 256) {
                const double edge_points[4][2] = {{r.left + t * r.width, double(r.top)},
                                                  {r.left + t * r.width, double(r.bottom())},
                                                  {double(r.left), r.top + t * r.height},
                                                  {double(r.right()), r.top + t * r.height}};
                for (const auto& point : edge_points) {
                    const double fx = point[0] * texels_per_layout - 0.5;
                    const double fy = point[1] * texels_per_layout - 0.5;
                    const int x = static_cast<int>(std::floor(fx));
                    const int y = static_cast<int>(std::floor(fy));
                    const double wx = fx - x;
                    const double wy = fy - y;
                    const double sampled =
                        (alpha(x, y) * (1 - wx) + alpha(x + 1, y) * wx) * (1 - wy) +
                        (alpha(x, y + 1) * (1 - wx) + alpha(x + 1, y + 1) * wx) * wy;
                    worst = std::max(worst, sampled);
                }
            }
            EXPECT_LE(worst, 8.0) << "level " << level << ", region at " << r.left << ", " << r.top;
        }
    }
}

} // namespace
