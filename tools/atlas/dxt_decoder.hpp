#pragma once
// The encoder's own decode of DXT blocks back to pixels: for measuring what
// compression costs and for checking the device decodes the same.
#include "assets/texture_dictionary.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace dxt {

// Straight-alpha R, G, B, A pixels, rows top first, of one level of blocks
// in a DXT encoding (not rgba32). Throws std::invalid_argument when the
// blocks' size does not match the level's.
std::vector<std::uint8_t> decompress_level(txd::pixel_encoding encoding, int width, int height,
                                           std::span<const std::uint8_t> blocks);

} // namespace dxt
