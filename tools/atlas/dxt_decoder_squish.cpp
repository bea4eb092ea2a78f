#include "dxt_decoder.hpp"

#include <squish.h>

#include <stdexcept>

namespace dxt {

std::vector<std::uint8_t> decompress_level(txd::pixel_encoding encoding, int width, int height,
                                           std::span<const std::uint8_t> blocks) {
    int format = 0;
    switch (encoding) {
    case txd::pixel_encoding::dxt1:
        format = squish::kDxt1;
        break;
    case txd::pixel_encoding::dxt3:
        format = squish::kDxt3;
        break;
    case txd::pixel_encoding::dxt5:
        format = squish::kDxt5;
        break;
    case txd::pixel_encoding::rgba32:
        throw std::invalid_argument("not a block encoding");
    }
    if (width <= 0 || height <= 0 ||
        blocks.size() != txd::level_byte_count(encoding, width, height))
        throw std::invalid_argument("blocks do not match the level's size");
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    squish::DecompressImage(rgba.data(), width, height, blocks.data(), format);
    return rgba;
}

} // namespace dxt
