#include "settings/skin_setting.hpp"

#include <cstring>

namespace {

bool allowed_in_name(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool parse_skin(const char* value, speedometer_settings& s) {
    // Only the characters allowed are copied, so nothing else can reach the
    // path: a name is checked whole before any of it is kept.
    char name[skin_name_max + 1] = {};
    std::size_t length = 0;
    for (; value[length] != '\0'; ++length) {
        const char c = lower(value[length]);
        if (length == skin_name_max || !allowed_in_name(c)) {
            return false;
        }
        name[length] = c;
    }
    if (length == 0) {
        return false;
    }
    constexpr char mph_suffix[] = "_mph";
    constexpr std::size_t suffix_length = sizeof mph_suffix - 1;
    if (std::strcmp(name, "mph") == 0 ||
        (length >= suffix_length && std::strcmp(name + length - suffix_length, mph_suffix) == 0)) {
        return false;
    }
    // Cleared whole, so that settings compare equal to the defaults.
    if (std::strcmp(name, "none") == 0) {
        std::memset(name, 0, sizeof name);
    }
    std::memcpy(s.skin, name, sizeof name);
    return true;
}
