#include "speedometer/settings.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "speedometer/opacity_setting.hpp"
#include "speedometer/setting_words.hpp"
#include "speedometer/settings_file_check.hpp"
#include "speedometer/skin_setting.hpp"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <iterator>

speedometer_settings active_settings;

namespace {

constexpr wchar_t section[] = L"speedometer";

// Room for any allowed value and then some; a longer value is not allowed.
constexpr DWORD value_capacity = 64;

bool equals_ignoring_case(const char* a, const char* b) {
    return equals_ignoring_ascii_case(a, b);
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

// Read as a plain decimal (see setting_words.hpp). The digits are read as a
// whole number and divided by the power of ten of the fraction, in double
// precision, so every value of a few digits comes out as the float nearest to
// what was written.
bool parse_scale(const char* value, speedometer_settings& s) {
    plain_decimal d;
    if (!read_plain_decimal(value, 5, 2, d)) {
        return false;
    }
    double whole = 0.0;
    for (const char* c = d.whole; c != d.whole_end; ++c) {
        whole = whole * 10.0 + (*c - '0');
    }
    double divisor = 1.0;
    for (const char* c = d.fraction; c != d.fraction_end; ++c) {
        whole = whole * 10.0 + (*c - '0');
        divisor *= 10.0;
    }
    s.scale = static_cast<float>(whole / divisor);
    return true;
}

bool parse_offset(const char* value, float& offset) {
    int whole = 0;
    if (!parse_whole_number(value, 1000, whole)) {
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
    {"skin", skin_names_allowed, parse_skin},
    {"opacity", "0.1 to 1.0", parse_opacity},
};

// Room for the UTF-8 of any value read.
constexpr std::size_t utf8_capacity = value_capacity * 3;

// The key's value in UTF-8, or false when the file does not have the key. The
// profile functions hand back the default for a missing key, so two different
// defaults tell a missing key from one whose value happens to be a default.
// A value filling the buffer may have been cut: complete is false then.
bool read_value(const wchar_t* path, const char* key, char (&value)[utf8_capacity],
                bool& complete) {
    wchar_t wide_key[32] = {};
    for (std::size_t i = 0; key[i] != '\0' && i + 1 < std::size(wide_key); ++i) {
        wide_key[i] = static_cast<wchar_t>(key[i]); // keys are ASCII
    }
    wchar_t wide_value[value_capacity];
    wchar_t other[value_capacity];
    GetPrivateProfileStringW(section, wide_key, L"\x01", wide_value, value_capacity, path);
    GetPrivateProfileStringW(section, wide_key, L"\x02", other, value_capacity, path);
    if (std::wcscmp(wide_value, other) != 0) {
        return false;
    }
    complete = std::wcslen(wide_value) < value_capacity - 1;
    to_utf8(wide_value, value, utf8_capacity);
    return true;
}

// The refused value last logged for each key, for the life of the module: the
// same file read again at each new game tells the log nothing new, while a
// newly refused value is told.
struct logged_refusal {
    bool logged = false;
    char value[utf8_capacity] = {};
};

logged_refusal logged_refusals[std::size(rules)];

bool refusal_is_new(std::size_t rule, const char* value) {
    logged_refusal& last = logged_refusals[rule];
    if (last.logged && std::strcmp(last.value, value) == 0) {
        return false;
    }
    last.logged = true;
    std::strcpy(last.value, value);
    return true;
}

} // namespace

speedometer_settings read_settings_file(const wchar_t* path) {
    speedometer_settings read;
    char path_utf8[MAX_PATH * 3];
    to_utf8(path, path_utf8, sizeof path_utf8);
    warn_of_mark_before_first_section(path);
    for (std::size_t i = 0; i < std::size(rules); ++i) {
        const key_rule& rule = rules[i];
        char value[utf8_capacity];
        bool complete = false;
        if (!read_value(path, rule.key, value, complete)) {
            continue;
        }
        speedometer_settings candidate = read;
        if (complete && rule.parse(value, candidate)) {
            read = candidate;
        } else if (refusal_is_new(i, value)) {
            // The path last: in a deep folder it can fill the line on its own.
            log_line("%s = \"%s\" is not allowed (%s); the default is used (%s)", rule.key, value,
                     rule.allowed, path_utf8);
        }
    }
    return read;
}

void load_settings() {
    wchar_t path[MAX_PATH];
    active_settings =
        path_beside_module(L".ini", path, MAX_PATH) && settings_file_size_allowed(path)
            ? read_settings_file(path)
            : speedometer_settings{};
}

void forget_logged_refusals_for_testing() {
    for (logged_refusal& refusal : logged_refusals) {
        refusal = {};
    }
}
