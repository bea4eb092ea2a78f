#include "speedometer/settings.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"

#include <windows.h>

#include <cstddef>
#include <cstring>

speedometer_settings active_settings;

namespace {

constexpr char section[] = "speedometer";

// Room for any allowed value and then some; a longer value is not allowed.
constexpr DWORD value_capacity = 64;

bool equals_ignoring_case(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool parse_units(const char* value, speedometer_settings& s) {
    if (equals_ignoring_case(value, "kmh")) {
        s.units = speed_units::kmh;
    } else if (equals_ignoring_case(value, "mph")) {
        s.units = speed_units::mph;
    } else {
        return false;
    }
    return true;
}

// Plain decimals only ("1", "0.75", ".5"): a general float reader would also
// take exponents, hexadecimal, "inf" and "nan", which no player means as a
// size, and would bring its own conversion code into the module. The digits
// are read as a whole number and divided by the power of ten of the fraction,
// in double precision, so every value of a few digits comes out as the float
// nearest to what was written.
bool parse_scale(const char* value, speedometer_settings& s) {
    double whole = 0.0;
    double divisor = 1.0;
    std::size_t digits = 0;
    const char* c = value;
    for (; is_digit(*c); ++c, ++digits) {
        whole = whole * 10.0 + (*c - '0');
    }
    if (*c == '.') {
        for (++c; is_digit(*c); ++c, ++digits) {
            whole = whole * 10.0 + (*c - '0');
            divisor *= 10.0;
        }
    }
    if (*c != '\0' || digits == 0) {
        return false;
    }
    const float scale = static_cast<float>(whole / divisor);
    // Out of range is a typo, not a wish for the nearest size.
    if (!(scale >= 0.5f && scale <= 2.0f)) {
        return false;
    }
    s.scale = scale;
    return true;
}

bool parse_offset(const char* value, float& offset) {
    int whole = 0;
    const char* c = value;
    for (; is_digit(*c) && c - value < 4; ++c) {
        whole = whole * 10 + (*c - '0');
    }
    if (c == value || *c != '\0' || whole > 1000) {
        return false;
    }
    offset = static_cast<float>(whole);
    return true;
}

bool parse_offset_x(const char* value, speedometer_settings& s) {
    return parse_offset(value, s.offset_x);
}

bool parse_offset_y(const char* value, speedometer_settings& s) {
    return parse_offset(value, s.offset_y);
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Letters and digits are their own virtual-key codes.
bool parse_toggle_key(const char* value, speedometer_settings& s) {
    if (equals_ignoring_case(value, "none")) {
        s.toggle_key = 0;
        return true;
    }
    const char first = upper(value[0]);
    if (first != '\0' && value[1] == '\0' && ((first >= 'A' && first <= 'Z') || is_digit(first))) {
        s.toggle_key = static_cast<std::uint8_t>(first);
        return true;
    }
    // F1 to F12, without leading zeros.
    const char* number = value + 1;
    if (first != 'F' || !is_digit(number[0]) || number[0] == '0') {
        return false;
    }
    const int n = number[1] == '\0' ? number[0] - '0'
                  : is_digit(number[1]) && number[2] == '\0'
                      ? (number[0] - '0') * 10 + number[1] - '0'
                      : 0;
    if (n < 1 || n > 12) {
        return false;
    }
    s.toggle_key = static_cast<std::uint8_t>(VK_F1 + n - 1);
    return true;
}

bool parse_hud_text_shift(const char* value, speedometer_settings& s) {
    if (equals_ignoring_case(value, "on")) {
        s.hud_text_shift = true;
    } else if (equals_ignoring_case(value, "off")) {
        s.hud_text_shift = false;
    } else {
        return false;
    }
    return true;
}

struct key_rule {
    const char* key;
    const char* allowed; // for the player, in the log
    bool (*parse)(const char* value, speedometer_settings& s);
};

constexpr key_rule rules[] = {
    {"units", "kmh or mph", parse_units},
    {"scale", "0.5 to 2.0", parse_scale},
    {"offset_x", "a whole number from 0 to 1000", parse_offset_x},
    {"offset_y", "a whole number from 0 to 1000", parse_offset_y},
    {"toggle_key", "none, F1 to F12, A to Z or 0 to 9", parse_toggle_key},
    {"hud_text_shift", "on or off", parse_hud_text_shift},
};

// The key's value, or false when the file does not have the key. The profile
// functions hand back the default for a missing key, so two different
// defaults tell a missing key from one whose value happens to be a default.
bool read_value(const char* path, const char* key, char (&value)[value_capacity]) {
    char other[value_capacity];
    GetPrivateProfileStringA(section, key, "\x01", value, value_capacity, path);
    GetPrivateProfileStringA(section, key, "\x02", other, value_capacity, path);
    return std::strcmp(value, other) == 0;
}

} // namespace

speedometer_settings read_settings_file(const char* path) {
    speedometer_settings read;
    for (const key_rule& rule : rules) {
        char value[value_capacity];
        if (!read_value(path, rule.key, value)) {
            continue;
        }
        // A value filling the buffer may have been cut: not one we allow.
        const bool complete = std::strlen(value) < value_capacity - 1;
        speedometer_settings candidate = read;
        if (complete && rule.parse(value, candidate)) {
            read = candidate;
        } else {
            log_line("%s: %s = \"%s\" is not allowed (%s); the default is used", path, rule.key,
                     value, rule.allowed);
        }
    }
    return read;
}

void load_settings() {
    char path[MAX_PATH];
    active_settings = path_beside_module(".ini", path, sizeof path) ? read_settings_file(path)
                                                                    : speedometer_settings{};
}
