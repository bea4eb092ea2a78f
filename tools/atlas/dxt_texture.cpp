// Compressing a whole texture, level by level, with whichever encoder is
// linked behind dxt_encoder.hpp.
#include "dxt_encoder.hpp"

#include <stdexcept>

namespace dxt {

txd::texture_image compress_dxt5(const txd::texture_image& rgba32) {
    if (rgba32.encoding != txd::pixel_encoding::rgba32)
        throw std::invalid_argument("only 32-bit levels are compressed");
    txd::texture_image compressed = rgba32;
    compressed.encoding = txd::pixel_encoding::dxt5;
    compressed.has_alpha = true;
    compressed.rgba = compress_dxt5_level(rgba32.width, rgba32.height, rgba32.rgba);
    for (std::size_t i = 0; i < rgba32.mip_levels.size(); ++i) {
        const int level = static_cast<int>(i) + 1;
        compressed.mip_levels[i] =
            compress_dxt5_level(txd::mip_level_side(rgba32.width, level),
                                txd::mip_level_side(rgba32.height, level), rgba32.mip_levels[i]);
    }
    return compressed;
}

} // namespace dxt
