#include "speedometer/opacity.hpp"

#include "host/functions.hpp"
#include "settings/settings.hpp"

namespace {

constexpr std::uint32_t millionths_per_unit = 1000000;

} // namespace

std::uint8_t faded_alpha(std::uint8_t alpha, std::uint32_t opacity_millionths) {
    // Integers throughout: 255 × 10^6 fits, and a float opacity such as 0.7
    // lies a little below its decimal, which would round some halves down.
    return static_cast<std::uint8_t>((alpha * opacity_millionths + millionths_per_unit / 2) /
                                     millionths_per_unit);
}

void make_faded_color(host_color& colour, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                      std::uint8_t alpha) {
    host_make_color(colour, red, green, blue,
                    faded_alpha(alpha, active_settings.opacity_millionths));
}

std::uint32_t faded_vertex_colour(std::uint32_t argb) {
    const auto alpha = static_cast<std::uint8_t>(argb >> 24);
    const std::uint32_t faded = faded_alpha(alpha, active_settings.opacity_millionths);
    return (faded << 24) | (argb & 0x00FFFFFFu);
}
