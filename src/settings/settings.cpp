#include "settings/settings.hpp"

#include "files/module_files.hpp"
#include "files/module_log.hpp"
#include "settings/opacity_setting.hpp"
#include "settings/profile_section.hpp"
#include "settings/setting_words.hpp"
#include "settings/settings_file_check.hpp"
#include "settings/skin_setting.hpp"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <iterator>

speedometer_settings active_settings;

namespace {

constexpr wchar_t section[] = L"speedometer";

constexpr std::size_t value_capacity = settings_value_characters;

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
bool parse_key(const char* value, std::uint8_t& key) {
    if (equals_ignoring_case(value, "none")) {
        key = 0;
        return true;
    }
    const char first = upper(value[0]);
    if (first != '\0' && value[1] == '\0' && ((first >= 'A' && first <= 'Z') || is_digit(first))) {
        key = static_cast<std::uint8_t>(first);
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
    key = static_cast<std::uint8_t>(VK_F1 + n - 1);
    return true;
}

bool parse_toggle_key(const char* value, speedometer_settings& s) {
    return parse_key(value, s.toggle_key);
}

bool parse_layout_key(const char* value, speedometer_settings& s) {
    return parse_key(value, s.layout_key);
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

bool parse_anchor(const char* value, speedometer_settings& s) {
    if (equals_ignoring_case(value, "screen")) {
        s.anchor = screen_anchor::screen;
    } else if (std::strcmp(value, "16:9") == 0) {
        s.anchor = screen_anchor::wide_16_9;
    } else if (std::strcmp(value, "4:3") == 0) {
        s.anchor = screen_anchor::box_4_3;
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
    {"opacity", opacities_allowed, parse_opacity},
    {"anchor", "screen, 16:9 or 4:3", parse_anchor},
    {"layout_key", "none, F1 to F12, A to Z or 0 to 9", parse_layout_key},
};
static_assert(std::size(rules) == settings_key_count);

// The key's value in UTF-8, or false when the section does not have the key.
// A value filling the buffer may have been cut: complete is false then.
bool read_value(const profile_section& section, const char* key,
                char (&value)[settings_value_capacity], bool& complete) {
    std::size_t length = 0;
    const wchar_t* const found = section.find(key, length);
    if (found == nullptr) {
        return false;
    }
    // As much as the single-value profile call would hand back.
    wchar_t wide_value[value_capacity];
    complete = length < value_capacity - 1;
    if (!complete) {
        length = value_capacity - 1;
    }
    std::wmemcpy(wide_value, found, length);
    wide_value[length] = L'\0';
    to_utf8(wide_value, value, settings_value_capacity);
    return true;
}

// The refused value last logged for each key, for the life of the module: the
// same file read again at each new game tells the log nothing new, while a
// newly refused value is told.
struct logged_refusal {
    bool logged = false;
    char value[settings_value_capacity] = {};
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

settings_file_read read_settings_file(const wchar_t* path) {
    settings_file_read read;
    profile_section file;
    if (!file.read(path, section)) {
        read.complete = false;
        return read;
    }
    for (std::size_t i = 0; i < std::size(rules); ++i) {
        const key_rule& rule = rules[i];
        char value[settings_value_capacity];
        bool complete = false;
        if (!read_value(file, rule.key, value, complete)) {
            continue;
        }
        speedometer_settings candidate = read.settings;
        if (complete && rule.parse(value, candidate)) {
            read.settings = candidate;
        } else {
            settings_file_read::refusal& refused = read.refused[read.refused_count++];
            refused.rule = static_cast<std::uint8_t>(i);
            std::strcpy(refused.value, value);
        }
    }
    return read;
}

void tell_what_the_read_found(const settings_file_read& read, const wchar_t* path) {
    warn_of_mark_before_first_section(path);
    char path_utf8[MAX_PATH * 3];
    to_utf8(path, path_utf8, sizeof path_utf8);
    for (std::size_t i = 0; i < read.refused_count; ++i) {
        const settings_file_read::refusal& refused = read.refused[i];
        if (refusal_is_new(refused.rule, refused.value)) {
            const key_rule& rule = rules[refused.rule];
            // The path last: in a deep folder it can fill the line on its own.
            log_line("%s = \"%s\" is not allowed (%s); the default is used (%s)", rule.key,
                     refused.value, rule.allowed, path_utf8);
        }
    }
}

bool load_settings() {
    wchar_t path[MAX_PATH];
    if (!path_beside_module(L".ini", path, MAX_PATH) || !settings_file_size_allowed(path)) {
        active_settings = {};
        return true;
    }
    const settings_file_read read = read_settings_file(path);
    if (!read.complete) {
        return false;
    }
    tell_what_the_read_found(read, path);
    active_settings = read.settings;
    return true;
}

bool read_scale_text(const char* value, float& scale) {
    speedometer_settings s;
    if (!parse_scale(value, s)) {
        return false;
    }
    scale = s.scale;
    return true;
}

void forget_logged_refusals_for_testing() {
    for (logged_refusal& refusal : logged_refusals) {
        refusal = {};
    }
}
