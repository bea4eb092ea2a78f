#include "speedometer/skin_dictionary.hpp"

#include "files/module_log.hpp"
#include "speedometer/resources.hpp"

#include <cstring>

namespace {

using dictionary_path = char[skin_dictionary_path_capacity];

// The file each step last failed on, so that a file missing at every new
// game is told of once; a load that works lets the next failure be told.
dictionary_path skin_failed = {};
dictionary_path shipped_mph_failed = {};
// Static, as the shipped paths are: the host is handed a name that outlives
// the call.
dictionary_path skin_path = {};

host_txd_handle load_or_tell(const char* path, dictionary_path& last_failed,
                             const char* what_is_shown) {
    if (const host_txd_handle dictionary = host_load_txd(path)) {
        last_failed[0] = '\0';
        return dictionary;
    }
    if (std::strcmp(last_failed, path) != 0) {
        std::strcpy(last_failed, path);
        log_line("%s could not be loaded; %s", path, what_is_shown);
    }
    return nullptr;
}

} // namespace

void make_skin_dictionary_path(char (&path)[skin_dictionary_path_capacity], const char* skin,
                               speed_units units) {
    std::strcpy(path, "models\\speedometer_");
    std::strcat(path, skin); // at most skin_name_max: parse_skin let no longer name in
    std::strcat(path, units == speed_units::mph ? "_mph.txd" : ".txd");
}

host_txd_handle load_dictionary_of_look() {
    const bool mph = active_settings.units == speed_units::mph;
    if (active_settings.skin[0] != '\0') {
        make_skin_dictionary_path(skin_path, active_settings.skin, active_settings.units);
        if (const host_txd_handle skin = load_or_tell(skin_path, skin_failed,
                                                      mph ? "the shipped mph artwork is used"
                                                          : "the shipped artwork is used")) {
            return skin;
        }
    }
    // The mph dictionary is a file of its own, which a player may not have
    // put in place: the game then shows km/h, number and face alike, rather
    // than nothing.
    if (mph) {
        if (const host_txd_handle shipped_mph =
                load_or_tell(speedometer_mph_dictionary_path, shipped_mph_failed,
                             "the speed is shown in km/h")) {
            return shipped_mph;
        }
        active_settings.units = speed_units::kmh;
    }
    return host_load_txd(speedometer_dictionary_path);
}
