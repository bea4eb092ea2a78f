#include "settings/skin_setting.hpp"

#include "settings/skin_name.hpp"

#include <cstring>
#include <string_view>

bool parse_skin(const char* value, speedometer_settings& s) {
    const std::string_view name(value);
    // Cleared whole, so that settings compare equal to the defaults.
    char kept[skin_name_max + 1] = {};
    // Checked whole before any of it is kept, so nothing else reaches the path.
    if (!names_shipped_artwork(name)) {
        if (!is_skin_name(name))
            return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            kept[i] = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
    }
    std::memcpy(s.skin, kept, sizeof kept);
    return true;
}
