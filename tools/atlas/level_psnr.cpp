#include "level_psnr.hpp"

#include <cmath>
#include <cstddef>

namespace dxt {

namespace {

double psnr(double squared_error, double count) {
    return squared_error == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * count / squared_error);
}

} // namespace

level_psnr compare_levels(const std::vector<std::uint8_t>& original,
                          const std::vector<std::uint8_t>& decoded, int width, level_area where) {
    double colour = 0, alpha = 0;
    double count = 0;
    for (int y = where.top; y < where.bottom; ++y) {
        for (int x = where.left; x < where.right; ++x, ++count) {
            const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
            for (int c = 0; c < 3; ++c) {
                const double error =
                    (original[i + c] * original[i + 3] - decoded[i + c] * decoded[i + 3]) / 255.0;
                colour += error * error;
            }
            const double error = original[i + 3] - decoded[i + 3];
            alpha += error * error;
        }
    }
    return {psnr(colour, count * 3), psnr(alpha, count)};
}

} // namespace dxt
