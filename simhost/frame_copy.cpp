// Sheets composed from frames: the demo's needle sweep and the kit's
// previewer lay pieces of many frames side by side in one picture.
#include "simhost/frame.hpp"
#include "simhost/sim_host.hpp"

#include <algorithm>

namespace sim {

bool copy_frame_region(int frame_x, int frame_y, int width, int height,
                       std::vector<std::uint32_t>& picture, int picture_width, int x, int y) {
    const auto& source = frame(); // reads the device's picture back
    const int frame_width = detail::frame_width();
    const int frame_height = detail::frame_height();
    const int picture_height =
        picture_width > 0 ? static_cast<int>(picture.size()) / picture_width : 0;
    if (width <= 0 || height <= 0 || frame_x < 0 || frame_y < 0 || x < 0 || y < 0 ||
        frame_x + width > frame_width || frame_y + height > frame_height ||
        x + width > picture_width || y + height > picture_height) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        const auto* from = &source[static_cast<std::size_t>(frame_y + row) * frame_width + frame_x];
        std::copy(from, from + width,
                  &picture[static_cast<std::size_t>(y + row) * picture_width + x]);
    }
    return !detail::frame_lost_draws();
}

} // namespace sim
