#include "speedometer/setting_words.hpp"

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
