#include "settings/setting_words.hpp"

namespace {

char folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool equals_ignoring_ascii_case(const char* a, const char* b) {
    for (; *a != '\0' && folded(*a) == folded(*b); ++a, ++b) {
    }
    return *a == *b;
}

bool parse_whole_number(const char* value, int largest, int& number) {
    const char* digits = value;
    while (*digits == '0') {
        ++digits;
    }
    // Past the zeros, more digits than largest has cannot be in range, and
    // counting them would overflow.
    int significant = 0;
    for (int rest = largest; rest > 0; rest /= 10) {
        ++significant;
    }
    long long whole = 0;
    const char* c = digits;
    for (; is_digit(*c) && c - digits <= significant; ++c) {
        whole = whole * 10 + (*c - '0');
    }
    if (!is_digit(*value) || *c != '\0' || whole > largest) {
        return false;
    }
    number = static_cast<int>(whole);
    return true;
}

namespace {

bool decimal_in_range(const plain_decimal& d, int lowest_tenths, int highest_units) {
    if (d.whole_end - d.whole > 1) {
        return false;
    }
    const int units = d.whole != d.whole_end ? *d.whole - '0' : 0;
    if (units == 0) {
        return d.fraction != d.fraction_end && *d.fraction - '0' >= lowest_tenths;
    }
    if (units == highest_units) {
        for (const char* c = d.fraction; c != d.fraction_end; ++c) {
            if (*c != '0') {
                return false;
            }
        }
    }
    return units <= highest_units;
}

} // namespace

bool read_plain_decimal(const char* value, int lowest_tenths, int highest_units,
                        plain_decimal& decimal) {
    plain_decimal d{value, value, value, value};
    while (is_digit(*d.whole_end)) {
        ++d.whole_end;
    }
    d.fraction = *d.whole_end == '.' ? d.whole_end + 1 : d.whole_end;
    d.fraction_end = d.fraction;
    while (is_digit(*d.fraction_end)) {
        ++d.fraction_end;
    }
    if (*d.fraction_end != '\0' || (d.whole_end == value && d.fraction_end == d.fraction)) {
        return false;
    }
    while (d.whole != d.whole_end && *d.whole == '0') {
        ++d.whole;
    }
    if (!decimal_in_range(d, lowest_tenths, highest_units)) {
        return false;
    }
    decimal = d;
    return true;
}
