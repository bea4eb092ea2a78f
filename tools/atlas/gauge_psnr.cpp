// How close a frame drawn from compressed dictionaries is to the same frame
// drawn from 32-bit ones, over the gauge: the box around every pixel where
// the 32-bit frame differs from the backdrop drawn without the gauge.
//
//   gauge_psnr FRAME.png FRAME_32BIT.png BACKDROP.png
#include "frame_image.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FRAME.png FRAME_32BIT.png BACKDROP.png\n", argv[0]);
        return 2;
    }
    const atlas::frame_image frame = atlas::load_frame(argv[1]);
    const atlas::frame_image base = atlas::load_frame(argv[2]);
    const atlas::frame_image backdrop = atlas::load_frame(argv[3]);
    const int w = frame.width();
    const int h = frame.height();
    if (base.width() != w || backdrop.width() != w || base.height() != h ||
        backdrop.height() != h) {
        std::fprintf(stderr, "the frames differ in size\n");
        return 1;
    }
    int left = w, top = h, right = 0, bottom = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (base.at(x, y) != backdrop.at(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    if (right <= left) {
        std::fprintf(stderr, "no gauge in %s\n", argv[2]);
        return 1;
    }
    double squared = 0;
    long count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            for (const int shift : {16, 8, 0}) {
                const double error = static_cast<double>(frame.at(x, y) >> shift & 0xFF) -
                                     static_cast<double>(base.at(x, y) >> shift & 0xFF);
                squared += error * error;
                ++count;
            }
    const double psnr = squared == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * count / squared);
    std::printf("%dx%d: gauge %dx%d at %d,%d: PSNR %.2f dB against the 32-bit frame\n", w, h,
                right - left, bottom - top, left, top, psnr);
    return 0;
}
