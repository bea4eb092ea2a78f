#pragma once
// How close a decoded texture level is to the level it was made from, in dB:
// colour as it is seen, times alpha, so invisible texels count for nothing,
// and alpha on its own.
#include <cstdint>
#include <vector>

namespace dxt {

struct level_area {
    int left, top, right, bottom; // pixels, right and bottom exclusive
};

struct level_psnr {
    double colour;
    double alpha;
};

// Both images RGBA, 8 bits a channel, width pixels a row.
level_psnr compare_levels(const std::vector<std::uint8_t>& original,
                          const std::vector<std::uint8_t>& decoded, int width, level_area where);

} // namespace dxt
