#include "skin_warnings.hpp"

#include "skin_layout.hpp"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

constexpr double bleed_limit = 8.0;

// In texels of level 0; a 512-wide skin has half a texel a layout pixel.
struct texel_rect {
    double left, top, right, bottom;
};

texel_rect in_texels(const atlas_layout::pixel_rect& r, double texels_per_layout) {
    return {r.left * texels_per_layout, r.top * texels_per_layout, r.right * texels_per_layout,
            r.bottom * texels_per_layout};
}

// The texels whose centres lie inside.
struct texel_span {
    int left, top, right, bottom;
    explicit texel_span(const texel_rect& r)
        : left(static_cast<int>(std::lround(r.left))), top(static_cast<int>(std::lround(r.top))),
          right(static_cast<int>(std::lround(r.right))),
          bottom(static_cast<int>(std::lround(r.bottom))) {}
};

bool fully_transparent(const std::vector<std::uint8_t>& rgba, int width, const texel_span& r) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3] != 0)
                return false;
    return true;
}

// One sprite's alpha alone, in a window of the texture aligned to the
// deepest level's texels, and its levels down to that one. Box filtering is
// local, so the window's levels are the whole texture's levels there.
class isolated_ink {
  public:
    isolated_ink(const std::vector<std::uint8_t>& rgba, int width, int height,
                 const texel_span& sprite, int deepest_level)
        : width_(width), height_(height) {
        const int step = 1 << deepest_level;
        left_ = std::max(0, (sprite.left / step - 1) * step);
        top_ = std::max(0, (sprite.top / step - 1) * step);
        const int right = std::min(width, ((sprite.right + step - 1) / step + 1) * step);
        const int bottom = std::min(height, ((sprite.bottom + step - 1) / step + 1) * step);
        int w = right - left_, h = bottom - top_;
        std::vector<double> level(static_cast<std::size_t>(w) * h, 0.0);
        for (int y = sprite.top; y < sprite.bottom; ++y)
            for (int x = sprite.left; x < sprite.right; ++x)
                level[static_cast<std::size_t>(y - top_) * w + (x - left_)] =
                    rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
        for (int l = 1; l <= deepest_level; ++l) {
            const int half_w = w / 2, half_h = h / 2;
            std::vector<double> next(static_cast<std::size_t>(half_w) * half_h);
            for (int y = 0; y < half_h; ++y)
                for (int x = 0; x < half_w; ++x) {
                    const auto at = [&](int dx, int dy) {
                        return level[static_cast<std::size_t>(2 * y + dy) * w + 2 * x + dx];
                    };
                    next[static_cast<std::size_t>(y) * half_w + x] =
                        (at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1)) / 4;
                }
            level = std::move(next);
            w = half_w;
            h = half_h;
            levels_.push_back({level, w, h});
        }
    }

    // Bilinear alpha at a point of the texture in its own texels of level 0,
    // clamped at the texture's edges as a device addresses it.
    double sample(int level, double x0, double y0) const {
        const double scale = 1.0 / (1 << level);
        const double fx = x0 * scale - 0.5, fy = y0 * scale - 0.5;
        const int x = static_cast<int>(std::floor(fx)), y = static_cast<int>(std::floor(fy));
        const double wx = fx - x, wy = fy - y;
        return (at(level, x, y) * (1 - wx) + at(level, x + 1, y) * wx) * (1 - wy) +
               (at(level, x, y + 1) * (1 - wx) + at(level, x + 1, y + 1) * wx) * wy;
    }

  private:
    struct level_window {
        std::vector<double> alpha;
        int width, height;
    };
    double at(int level, int x, int y) const {
        x = std::clamp(x, 0, (width_ >> level) - 1) - (left_ >> level);
        y = std::clamp(y, 0, (height_ >> level) - 1) - (top_ >> level);
        const level_window& w = levels_[static_cast<std::size_t>(level) - 1];
        if (x < 0 || y < 0 || x >= w.width || y >= w.height)
            return 0.0;
        return w.alpha[static_cast<std::size_t>(y) * w.width + x];
    }

    int width_, height_, left_, top_;
    std::vector<level_window> levels_;
};

// The highest alpha the ink shows anywhere on the outline of r.
double worst_on_outline(const isolated_ink& ink, int level, const texel_rect& r) {
    double worst = 0;
    for (double t = 0; t <= 1; t += 1.0 / 256) {
        const double points[4][2] = {{r.left + t * (r.right - r.left), double(r.top)},
                                     {r.left + t * (r.right - r.left), double(r.bottom)},
                                     {double(r.left), r.top + t * (r.bottom - r.top)},
                                     {double(r.right), r.top + t * (r.bottom - r.top)}};
        for (const auto& p : points)
            worst = std::max(worst, ink.sample(level, p[0], p[1]));
    }
    return worst;
}

// What one sprite showed: no ink at all, or ink bleeding into these.
struct sprite_finding {
    std::string sprite;
    bool empty = false;
    std::vector<std::string> bleeds_into;
};

// "speed digit 4" and "speed digit 8" are one strip's cells: "speed digits".
std::string strip_of(const std::string& sprite) {
    const std::size_t digit = sprite.find(" digit ");
    return digit == std::string::npos ? "" : sprite.substr(0, digit) + " digits";
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += i == 0 ? "" : i + 1 == words.size() ? " and " : ", ";
        text += words[i];
    }
    return text;
}

// One line a sprite, and one a digit strip for all its cells, so that a
// background left partly opaque gives a few lines, not one a neighbour.
std::vector<std::string> grouped(const std::vector<sprite_finding>& findings) {
    const std::string margin =
        std::string("ink within ") + std::to_string(neighbour_margin) + " layout pixels";
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const sprite_finding& f = findings[i];
        const std::string strip = strip_of(f.sprite);
        if (!strip.empty()) {
            if (i > 0 && strip_of(findings[i - 1].sprite) == strip)
                continue; // told with the strip's first cell
            std::vector<std::string> empty, bleeding;
            for (std::size_t j = i; j < findings.size() && strip_of(findings[j].sprite) == strip;
                 ++j) {
                const std::string cell =
                    findings[j].sprite.substr(findings[j].sprite.rfind(' ') + 1);
                // Ink well inside its own cell is what every digit has: only
                // ink that reaches a neighbour is worth a line.
                if (findings[j].empty)
                    empty.push_back(cell);
                else if (!findings[j].bleeds_into.empty())
                    bleeding.push_back(cell);
            }
            const std::string one = f.sprite.substr(0, f.sprite.rfind(' ')) + " ";
            if (empty.size() == 1)
                lines.push_back(one + empty[0] +
                                ": its rectangle is fully transparent, so it draws nothing");
            else if (!empty.empty())
                lines.push_back(strip + " " + joined(empty) +
                                ": their rectangles are fully transparent, so they draw nothing");
            if (!bleeding.empty())
                lines.push_back((bleeding.size() == 1 ? one : strip + " ") + joined(bleeding) +
                                ": " + margin +
                                " of a neighbour's rectangle will bleed into it at small sizes");
            continue;
        }
        if (f.empty) {
            lines.push_back(f.sprite + ": its rectangle is fully transparent, so it draws nothing");
        } else if (!f.bleeds_into.empty()) {
            std::vector<std::string> owners;
            for (const std::string& n : f.bleeds_into)
                owners.push_back(n + "'s");
            lines.push_back(f.sprite + ": " + margin + " of the " + joined(owners) +
                            (owners.size() == 1 ? " rectangle will bleed into it"
                                                : " rectangles will bleed into them") +
                            " at small sizes");
        }
    }
    return lines;
}

} // namespace

std::vector<std::string> skin_warnings(int width, int height,
                                       const std::vector<std::uint8_t>& rgba) {
    const double texels_per_layout = static_cast<double>(width) / atlas_layout::width;
    // Levels whose texels are at most the margin wide in layout pixels.
    int deepest_level = 0;
    while ((2 << deepest_level) <= neighbour_margin * texels_per_layout)
        ++deepest_level;
    // A background flattened in the paint program puts ink everywhere: every
    // sprite would bleed into every neighbour, which says less than the cause.
    bool any_transparent = false;
    for (std::size_t i = 3; i < rgba.size() && !any_transparent; i += 4)
        any_transparent = rgba[i] != 255;
    if (!any_transparent)
        return {"no pixel is transparent: the background was flattened; start from "
                "speedometer.png, which has transparency, and keep its background clear"};
    const auto sprites = layout_sprites();
    // A background filled at some opacity bleeds everywhere too: one line.
    std::vector<bool> in_sprite(static_cast<std::size_t>(width) * height, false);
    for (const named_sprite& sprite : sprites) {
        const texel_span span(in_texels(sprite.rect, texels_per_layout));
        for (int y = span.top; y < span.bottom; ++y)
            std::fill_n(in_sprite.begin() + static_cast<std::ptrdiff_t>(y) * width + span.left,
                        span.right - span.left, true);
    }
    std::size_t outside = 0, inked = 0;
    for (std::size_t i = 0; i < in_sprite.size(); ++i)
        if (!in_sprite[i]) {
            ++outside;
            inked += rgba[i * 4 + 3] != 0;
        }
    if (inked * 2 > outside)
        return {std::string("the background is not clear: ") +
                std::to_string(inked * 100 / outside) +
                "% of the pixels outside the sprites' rectangles have some alpha (a fill at low "
                "opacity?); keep the background fully transparent and save again"};
    std::vector<sprite_finding> findings;
    for (const named_sprite& sprite : sprites) {
        sprite_finding& finding = findings.emplace_back();
        finding.sprite = sprite.name;
        const texel_rect r = in_texels(sprite.rect, texels_per_layout);
        const texel_span span(r);
        if (fully_transparent(rgba, width, span)) {
            finding.empty = true;
            continue;
        }
        const isolated_ink ink(rgba, width, height, span, deepest_level);
        for (const named_sprite& neighbour : sprites) {
            if (&neighbour == &sprite)
                continue;
            const texel_rect n = in_texels(neighbour.rect, texels_per_layout);
            for (int level = 1; level <= deepest_level; ++level) {
                if (worst_on_outline(ink, level, n) > bleed_limit) {
                    finding.bleeds_into.push_back(neighbour.name);
                    break;
                }
            }
        }
    }
    return grouped(findings);
}

} // namespace skin
