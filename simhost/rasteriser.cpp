#include "simhost/rasteriser.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sim::detail {
namespace {

struct colour {
    float r, g, b, a; // 0 to 1
};

float channel(std::uint32_t packed, int shift) {
    return static_cast<float>((packed >> shift) & 0xFF) / 255.0f;
}

// Vertex colours are 0xAARRGGBB.
colour from_argb(std::uint32_t argb) {
    return {channel(argb, 16), channel(argb, 8), channel(argb, 0), channel(argb, 24)};
}

// Texels and frame pixels are R | G << 8 | B << 16 | A << 24.
colour from_rgba(std::uint32_t rgba) {
    return {channel(rgba, 0), channel(rgba, 8), channel(rgba, 16), channel(rgba, 24)};
}

std::uint32_t to_byte(float value) {
    return static_cast<std::uint32_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

std::uint32_t to_rgba(const colour& c) {
    return to_byte(c.r) | to_byte(c.g) << 8 | to_byte(c.b) << 16 | to_byte(c.a) << 24;
}

colour mix(const colour& p, const colour& q, float t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
            p.a + (q.a - p.a) * t};
}

// Texel position along one axis for coordinate t in [0, 1], kept in a range
// where conversion to int is defined.
double texel_position(float t, int size, double centre_offset) {
    const double position = std::isfinite(t) ? static_cast<double>(t) * size - centre_offset : 0.0;
    return std::clamp(position, -1.0, static_cast<double>(size));
}

const std::uint32_t& texel(const texture_view& texture, int x, int y) {
    x = std::clamp(x, 0, texture.width - 1);
    y = std::clamp(y, 0, texture.height - 1);
    return texture.texels[static_cast<std::size_t>(y) * static_cast<std::size_t>(texture.width) +
                          static_cast<std::size_t>(x)];
}

colour sample(const texture_view& texture, float u, float v) {
    if (texture.width <= 0 || texture.height <= 0 || texture.texels == nullptr) {
        return {1.0f, 1.0f, 1.0f, 1.0f};
    }
    if (texture.filter == texture_filter::nearest) {
        const int x = static_cast<int>(std::floor(texel_position(u, texture.width, 0.0)));
        const int y = static_cast<int>(std::floor(texel_position(v, texture.height, 0.0)));
        return from_rgba(texel(texture, x, y));
    }
    const double tx = texel_position(u, texture.width, 0.5);
    const double ty = texel_position(v, texture.height, 0.5);
    const double x0 = std::floor(tx);
    const double y0 = std::floor(ty);
    const auto fx = static_cast<float>(tx - x0);
    const auto fy = static_cast<float>(ty - y0);
    const int x = static_cast<int>(x0);
    const int y = static_cast<int>(y0);
    const colour top =
        mix(from_rgba(texel(texture, x, y)), from_rgba(texel(texture, x + 1, y)), fx);
    const colour bottom =
        mix(from_rgba(texel(texture, x, y + 1)), from_rgba(texel(texture, x + 1, y + 1)), fx);
    return mix(top, bottom, fy);
}

void blend_over(std::uint32_t& pixel, const colour& source) {
    const colour target = from_rgba(pixel);
    const float keep = 1.0f - source.a;
    pixel = to_rgba({source.r * source.a + target.r * keep, source.g * source.a + target.g * keep,
                     source.b * source.a + target.b * keep, source.a + target.a * keep});
}

struct point {
    double x, y;
};

// Positive on the inner side of edge p->q for a triangle wound clockwise on
// the screen (y grows downwards).
double edge(const point& p, const point& q, const point& r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
}

// With that winding a top edge runs exactly right, a left edge upwards.
bool top_left(const point& p, const point& q) {
    return (q.y == p.y && q.x > p.x) || q.y < p.y;
}

bool covers(double weight, bool on_top_left_edge) {
    return weight > 0.0 || (weight == 0.0 && on_top_left_edge);
}

bool finite(const screen_vertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}

// First and last pixel whose centre lies within [low, high], inside [0, size).
std::pair<int, int> pixel_span(double low, double high, int size) {
    const double first = std::max(std::ceil(low - 0.5), 0.0);
    const double last = std::min(std::floor(high - 0.5), static_cast<double>(size - 1));
    if (first > last) {
        return {0, -1};
    }
    return {static_cast<int>(first), static_cast<int>(last)};
}

} // namespace

void fill_triangle(const frame_view& frame, const screen_vertex& a, const screen_vertex& b,
                   const screen_vertex& c, const texture_view& texture) {
    if (!finite(a) || !finite(b) || !finite(c)) {
        return;
    }
    const screen_vertex* v[3] = {&a, &b, &c};
    point p[3] = {{a.x, a.y}, {b.x, b.y}, {c.x, c.y}};
    double area = edge(p[0], p[1], p[2]);
    if (area == 0.0) {
        return;
    }
    if (area < 0.0) {
        std::swap(v[1], v[2]);
        std::swap(p[1], p[2]);
        area = -area;
    }
    const bool top_left_edge[3] = {top_left(p[1], p[2]), top_left(p[2], p[0]),
                                   top_left(p[0], p[1])};
    const colour vertex_colour[3] = {from_argb(v[0]->colour), from_argb(v[1]->colour),
                                     from_argb(v[2]->colour)};

    const auto [x_first, x_last] = pixel_span(std::min({p[0].x, p[1].x, p[2].x}),
                                              std::max({p[0].x, p[1].x, p[2].x}), frame.width);
    const auto [y_first, y_last] = pixel_span(std::min({p[0].y, p[1].y, p[2].y}),
                                              std::max({p[0].y, p[1].y, p[2].y}), frame.height);
    for (int y = y_first; y <= y_last; ++y) {
        std::uint32_t* row = frame.pixels + static_cast<std::size_t>(y) * frame.width;
        for (int x = x_first; x <= x_last; ++x) {
            const point centre{x + 0.5, y + 0.5};
            const double w[3] = {edge(p[1], p[2], centre), edge(p[2], p[0], centre),
                                 edge(p[0], p[1], centre)};
            if (!covers(w[0], top_left_edge[0]) || !covers(w[1], top_left_edge[1]) ||
                !covers(w[2], top_left_edge[2])) {
                continue;
            }
            const float l[3] = {static_cast<float>(w[0] / area), static_cast<float>(w[1] / area),
                                static_cast<float>(w[2] / area)};
            auto interpolate = [&](auto field) {
                return l[0] * field(0) + l[1] * field(1) + l[2] * field(2);
            };
            const colour shade{interpolate([&](int i) { return vertex_colour[i].r; }),
                               interpolate([&](int i) { return vertex_colour[i].g; }),
                               interpolate([&](int i) { return vertex_colour[i].b; }),
                               interpolate([&](int i) { return vertex_colour[i].a; })};
            const colour tex = sample(texture, interpolate([&](int i) { return v[i]->u; }),
                                      interpolate([&](int i) { return v[i]->v; }));
            blend_over(row[x],
                       {tex.r * shade.r, tex.g * shade.g, tex.b * shade.b, tex.a * shade.a});
        }
    }
}

} // namespace sim::detail
