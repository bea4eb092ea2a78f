#include "speedometer/opacity_setting.hpp"

namespace {

constexpr std::uint32_t millionths_per_unit = 1000000;
constexpr int kept_decimals = 6;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the decimal written as these digits lies within 0.1 to 1.0, decided
// on the digits, so that 1.00000001 is not let in by rounding.
bool opacity_digits_in_range(const char* whole, const char* whole_end, const char* fraction,
                             const char* fraction_end) {
    while (whole != whole_end && *whole == '0') {
        ++whole;
    }
    if (whole_end - whole > 1 || (whole != whole_end && *whole != '1')) {
        return false;
    }
    if (whole != whole_end) { // 1: only zeros may follow
        for (; fraction != fraction_end; ++fraction) {
            if (*fraction != '0') {
                return false;
            }
        }
        return true;
    }
    return fraction != fraction_end && *fraction >= '1';
}

} // namespace

bool parse_opacity(const char* value, speedometer_settings& s) {
    const char* whole_end = value;
    while (is_digit(*whole_end)) {
        ++whole_end;
    }
    const char* fraction = *whole_end == '.' ? whole_end + 1 : whole_end;
    const char* fraction_end = fraction;
    while (is_digit(*fraction_end)) {
        ++fraction_end;
    }
    if (*fraction_end != '\0' || (whole_end == value && fraction_end == fraction) ||
        !opacity_digits_in_range(value, whole_end, fraction, fraction_end)) {
        return false;
    }
    // In range, the whole part is 0 or 1 (after leading zeros).
    std::uint32_t millionths = whole_end != value && whole_end[-1] == '1' ? millionths_per_unit : 0;
    std::uint32_t place = millionths_per_unit;
    const char* digit = fraction;
    for (int decimal = 0; decimal < kept_decimals && digit != fraction_end; ++decimal, ++digit) {
        place /= 10;
        millionths += static_cast<std::uint32_t>(*digit - '0') * place;
    }
    if (digit != fraction_end && *digit >= '5') {
        ++millionths; // never past 1.0: its digits are all zeros
    }
    s.opacity_millionths = millionths;
    return true;
}
