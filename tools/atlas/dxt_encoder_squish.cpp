// The encoder behind dxt_encoder.hpp on the native build: libsquish.
#include "dxt_encoder.hpp"

#include <squish.h>

#include <stdexcept>

namespace dxt {

std::vector<std::uint8_t> compress_dxt5_level(int width, int height,
                                              std::span<const std::uint8_t> rgba) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        throw std::invalid_argument("pixels do not match the level's size");
    // The cluster fit is the library's best colour fit short of the
    // iterative one, which costs several times as long for little more.
    constexpr int flags = squish::kDxt5 | squish::kColourClusterFit | squish::kWeightColourByAlpha;
    std::vector<std::uint8_t> blocks(
        txd::level_byte_count(txd::pixel_encoding::dxt5, width, height));
    squish::CompressImage(rgba.data(), width, height, blocks.data(), flags);
    return blocks;
}

} // namespace dxt
