// How sharp the dial face looks in a frame the simulated host drew: the face's
// ring of labels, ticks and track compared with this tool's own drawing of
// the face at exactly the size it has on that screen.
//
//   face_sharpness FRAME.png BACKDROP.png SCALE kmh|mph
//
// FRAME is a frame with the vehicle at rest (no progress arc, the needle at
// its rest angle), BACKDROP the same frame drawn without the gauge. SCALE is
// the settings file's scale. The reference face is drawn with cairo at the
// screen size, moved by the half pixel by which the device samples a texture
// (its pixel centres lie on whole coordinates), and laid over the backdrop
// as the device blends. Compared are the pixels whose centres lie in the ring
// from radius 70 to 134 layout pixels and between the angles 130 and 355
// degrees, where nothing but the face is drawn at rest. The bezel outside it
// is left out: it was narrowed to keep the mip levels' sprites apart, so an
// older atlas can be measured against today's drawing of the same ring.
#include "atlas_layout.hpp"
#include "canvas.hpp"
#include "dial_scale.hpp"
#include "frame_image.hpp"
#include "sprites.hpp"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <numbers>

namespace {

constexpr double ring_inner = 70.0;
constexpr double ring_outer = 134.0;
constexpr double ring_start_degrees = 130.0;
constexpr double ring_end_degrees = 355.0;

using image = atlas::frame_image;
using atlas::load_frame;

// The module's scale_to_screen of a reference length times the player's scale,
// in the same single-precision steps.
int scaled(int shorter_side, float reference, float scale) {
    return static_cast<int>((static_cast<float>(shorter_side) * (reference * scale)) / 1080.0f);
}

int channel(std::uint32_t word, int shift) {
    return static_cast<int>(word >> shift & 0xFF);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || (std::strcmp(argv[4], "kmh") != 0 && std::strcmp(argv[4], "mph") != 0)) {
        std::fprintf(stderr, "usage: %s FRAME.png BACKDROP.png SCALE kmh|mph\n", argv[0]);
        return 2;
    }
    const image frame = load_frame(argv[1]);
    const image backdrop = load_frame(argv[2]);
    const float scale = std::strtof(argv[3], nullptr);
    const auto& dial = std::strcmp(argv[4], "mph") == 0 ? atlas::mph_dial : atlas::kmh_dial;
    if (frame.width() != backdrop.width() || frame.height() != backdrop.height()) {
        std::fprintf(stderr, "the frame and the backdrop differ in size\n");
        return 1;
    }

    // The dial face's square, as the module places it.
    const int w = frame.width();
    const int h = frame.height();
    const int shorter = w > h ? h : w;
    const int left = w - scaled(shorter, 354, scale);
    const int right = w - scaled(shorter, 64, scale);
    const int top = h - scaled(shorter, 330, scale);
    const int size = right - left;
    const atlas::region face = atlas::dial_face_region;
    const double pixels_per_layout = static_cast<double>(size) / face.width;

    try {
        atlas::canvas reference(face.width, face.height, pixels_per_layout, 0.5);
        atlas::draw_dial_face(reference, dial, {0, 0, face.width, face.height});
        const image drawn{cairo_get_target(reference.context())};
        cairo_surface_flush(drawn.surface);

        double squared = 0, absolute = 0;
        long count = 0;
        for (int y = 0; y < drawn.height() && top + y < h; ++y) {
            for (int x = 0; x < drawn.width() && left + x < w; ++x) {
                const double dx = (x + 0.5) / pixels_per_layout - face.width * 0.5;
                const double dy = (y + 0.5) / pixels_per_layout - face.height * 0.5;
                const double radius = std::hypot(dx, dy);
                double angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
                angle += angle < 90 ? 360 : 0;
                if (radius < ring_inner || radius > ring_outer || angle < ring_start_degrees ||
                    angle > ring_end_degrees)
                    continue;
                // cairo's words are premultiplied: source plus backdrop times
                // what the source leaves uncovered.
                const std::uint32_t source = drawn.at(x, y);
                const std::uint32_t below = backdrop.at(left + x, top + y);
                const std::uint32_t seen = frame.at(left + x, top + y);
                const double uncovered = 1 - channel(source, 24) / 255.0;
                for (const int shift : {16, 8, 0}) {
                    const double expected =
                        channel(source, shift) + channel(below, shift) * uncovered;
                    const double error = channel(seen, shift) - expected;
                    squared += error * error;
                    absolute += std::abs(error);
                    ++count;
                }
            }
        }
        const double mean_squared = squared / static_cast<double>(count);
        // Texels a screen pixel: for the 1024-pixel atlas and the 2048-pixel one.
        const double layout_per_pixel = face.width / static_cast<double>(size);
        std::printf("%dx%d scale %.2f: face %d px, texels a pixel %.2f (1024) %.2f (2048); "
                    "PSNR %.2f dB, mean absolute difference %.2f over %ld values\n",
                    w, h, static_cast<double>(scale), size, layout_per_pixel, 2 * layout_per_pixel,
                    10 * std::log10(255.0 * 255.0 / mean_squared),
                    absolute / static_cast<double>(count), count);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
