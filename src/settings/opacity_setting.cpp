#include "settings/opacity_setting.hpp"

#include "settings/setting_words.hpp"

namespace {

constexpr std::uint32_t millionths_per_unit = 1000000;
constexpr int kept_decimals = 6;

} // namespace

bool parse_opacity(const char* value, speedometer_settings& s) {
    plain_decimal d;
    if (!read_plain_decimal(value, 1, 1, d)) {
        return false;
    }
    // In range, the whole part is 0 or 1.
    std::uint32_t millionths = d.whole != d.whole_end ? millionths_per_unit : 0;
    std::uint32_t place = millionths_per_unit;
    const char* digit = d.fraction;
    for (int decimal = 0; decimal < kept_decimals && digit != d.fraction_end; ++decimal, ++digit) {
        place /= 10;
        millionths += static_cast<std::uint32_t>(*digit - '0') * place;
    }
    // A seventh decimal would need rounding before the alpha is rounded, and
    // two roundings can land one off the alpha the value asks for. Zeros say
    // nothing more.
    for (; digit != d.fraction_end; ++digit) {
        if (*digit != '0') {
            return false;
        }
    }
    s.opacity_millionths = millionths;
    return true;
}
