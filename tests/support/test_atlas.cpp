#include "support/test_atlas.hpp"

#include "simhost/sim_host.hpp"

#include <cmath>
#include <numbers>

namespace test_atlas {
namespace {

constexpr std::uint32_t rgba(int r, int g, int b, int a = 255) {
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b) << 16 | static_cast<std::uint32_t>(a) << 24;
}

constexpr std::uint32_t white = rgba(255, 255, 255);
constexpr std::uint32_t black = rgba(0, 0, 0);

// 3 by 5 glyphs, one row a string, '#' set.
struct glyph {
    char letter;
    const char* rows[5];
};

constexpr glyph font[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}}, {'3', {"###", "..#", ".##", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "###"}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {"###", "#..", "#..", "#..", "###"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {"###", "#..", "###", "..#", "###"}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
};

class canvas {
  public:
    canvas() : pixels_(static_cast<std::size_t>(width) * height) {}

    void set(int x, int y, std::uint32_t colour) {
        if (x >= 0 && x < width && y >= 0 && y < height) {
            pixels_[static_cast<std::size_t>(y) * width + x] = colour;
        }
    }

    void fill(int left, int top, int right, int bottom, std::uint32_t colour) {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                set(x, y, colour);
            }
        }
    }

    // Text in 3 by 5 glyphs, each glyph pixel `scale` atlas pixels square.
    void text(int left, int top, const char* letters, int scale, std::uint32_t colour) {
        for (; *letters != '\0'; ++letters, left += 4 * scale) {
            for (const glyph& g : font) {
                if (g.letter != *letters) {
                    continue;
                }
                for (int row = 0; row < 5; ++row) {
                    for (int column = 0; column < 3; ++column) {
                        if (g.rows[row][column] == '#') {
                            fill(left + column * scale, top + row * scale,
                                 left + (column + 1) * scale, top + (row + 1) * scale, colour);
                        }
                    }
                }
            }
        }
    }

    std::vector<std::uint32_t> take() { return std::move(pixels_); }

  private:
    std::vector<std::uint32_t> pixels_;
};

std::uint32_t hue(double degrees, double brightness) {
    const double h = std::fmod(degrees, 360.0) / 60.0;
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
    case 0:
        r = 1, g = x;
        break;
    case 1:
        r = x, g = 1;
        break;
    case 2:
        g = 1, b = x;
        break;
    case 3:
        g = x, b = 1;
        break;
    case 4:
        r = x, b = 1;
        break;
    default:
        r = 1, b = x;
        break;
    }
    auto byte = [brightness](double c) { return static_cast<int>(c * brightness * 255.0 + 0.5); };
    return rgba(byte(r), byte(g), byte(b));
}

void unused_checkerboard(canvas& c) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            c.set(x, y, ((x / 8 + y / 8) % 2 == 0) ? unused_magenta : black);
        }
    }
}

void corner(canvas& c, int left, int top, int size, std::uint32_t colour) {
    c.fill(left, top, left + size, top + size, colour);
}

void dial_face(canvas& c) {
    constexpr double centre = 145.5;
    for (int y = 0; y < 291; ++y) {
        for (int x = 0; x < 291; ++x) {
            const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            c.set(x, y, r < 140.0 ? dial_blue : r < 145.5 ? rgba(200, 200, 200) : rgba(40, 40, 40));
        }
    }
    // A tick every 20 degrees, a long one at 0 (pointing right).
    for (int degrees = 0; degrees < 360; degrees += 20) {
        const double a = degrees * std::numbers::pi / 180.0;
        const double inner = degrees == 0 ? 90.0 : 120.0;
        for (double r = inner; r < 140.0; r += 0.5) {
            const int x = static_cast<int>(centre + r * std::cos(a));
            const int y = static_cast<int>(centre + r * std::sin(a));
            c.fill(x - 1, y - 1, x + 2, y + 2, white);
        }
    }
    c.text(100, 40, "DIAL", 6, white);
    corner(c, 0, 0, 24, corner_orange);
}

void arc_image(canvas& c) {
    constexpr int left = 291;
    constexpr double centre = 145.5;
    for (int y = 0; y < 291; ++y) {
        for (int x = 0; x < 291; ++x) {
            const double dx = x + 0.5 - centre;
            const double dy = y + 0.5 - centre;
            const double r = std::hypot(dx, dy);
            double degrees = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
            if (degrees < 0) {
                degrees += 360.0;
            }
            std::uint32_t colour = rgba(60, 60, 60);
            if (r < 145.5) {
                // Brighter towards the rim; white spokes every 30 degrees.
                colour = hue(degrees, 0.4 + 0.6 * r / 145.5);
                if (std::fmod(degrees + 0.75, 30.0) < 1.5 && r > 20.0) {
                    colour = white;
                }
            }
            c.set(left + x, y, colour);
        }
    }
    c.text(left + 110, 20, "ARC", 6, white);
    corner(c, left, 0, 24, corner_orange);
}

void hub(canvas& c) {
    constexpr int left = 582;
    constexpr double centre = 38.0;
    for (int y = 0; y < 76; ++y) {
        for (int x = 0; x < 76; ++x) {
            const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            c.set(left + x, y,
                  r < 20.0   ? rgba(90, 90, 90)
                  : r < 36.0 ? white
                             : rgba(128, 128, 128));
        }
    }
    c.text(left + 26, 30, "HUB", 2, black);
    corner(c, left, 0, 10, corner_orange);
}

void needle(canvas& c) {
    constexpr int left = 658;
    c.fill(left, 0, left + 16, 118, needle_green);
    c.fill(left, 0, left + 16, 24, needle_tip_red);
    c.fill(left + 6, 24, left + 10, 118, white); // centre line
    corner(c, left, 0, 5, corner_orange);
}

void status_sprite(canvas& c) {
    constexpr int left = 582;
    constexpr int top = 76;
    constexpr double centre = 29.0;
    for (int y = 0; y < 58; ++y) {
        for (int x = 0; x < 58; ++x) {
            const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            c.set(left + x, top + y, r < 29.0 ? white : rgba(70, 70, 70));
        }
    }
    corner(c, left, top, 8, corner_orange);
}

int cell_left(int digit, int first_left, int cell_width) {
    return digit == 0 ? first_left + 9 * cell_width : first_left + (digit - 1) * cell_width;
}

void digit_cells(canvas& c, int first_left, int top, int cell_width, int cell_height, int scale,
                 int marker) {
    for (int digit = 0; digit <= 9; ++digit) {
        const int left = cell_left(digit, first_left, cell_width);
        c.fill(left, top, left + cell_width, top + cell_height, digit_colour(digit));
        const char text[] = {static_cast<char>('0' + digit), '\0'};
        c.text(left + (cell_width - 3 * scale) / 2, top + (cell_height - 5 * scale) / 2, text,
               scale, white);
        corner(c, left, top, marker, black);
    }
}

} // namespace

std::uint32_t digit_colour(int digit) {
    return hue(digit * 36.0, 0.55);
}

std::vector<std::uint32_t> pixels() {
    canvas c;
    unused_checkerboard(c);
    dial_face(c);
    arc_image(c);
    hub(c);
    needle(c);
    status_sprite(c);
    digit_cells(c, 582, 134, 44, 56, 8, 6);
    digit_cells(c, 0, 291, 100, 160, 20, 14);
    return c.take();
}

txd::texture_image dictionary_image() {
    txd::texture_image image;
    image.name = "speedometer";
    image.width = width;
    image.height = height;
    image.rgba.reserve(static_cast<std::size_t>(width) * height * 4);
    for (const std::uint32_t pixel : pixels()) {
        for (int shift = 0; shift < 32; shift += 8) {
            image.rgba.push_back(static_cast<std::uint8_t>(pixel >> shift));
        }
    }
    return image;
}

host_texture* add_to_host() {
    return sim::add_texture(width, height, pixels());
}

} // namespace test_atlas
