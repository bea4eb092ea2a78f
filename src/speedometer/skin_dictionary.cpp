#include "speedometer/skin_dictionary.hpp"

#include "files/module_log.hpp"
#include "speedometer/dictionary_check.hpp"
#include "speedometer/resources.hpp"

#include <cstring>

namespace {

using dictionary_path = char[skin_dictionary_path_capacity];

constexpr char models_folder[] = "models\\";

// The file each step last failed on, and why, so that a file missing at every
// new game is told of once; a load that works, or another fault, lets the
// next failure be told.
struct failure {
    dictionary_path path = {};
    dictionary_words why;
};
failure skin_failed;
failure shipped_mph_failed;
// The shipped artwork is told of once each time the game runs: without it
// there is no gauge at all, and the player most likely copied only the module.
bool shipped_failure_told = false;
// Static, as the shipped paths are: the host is handed a name that outlives
// the call.
dictionary_path skin_path = {};

// The dictionary and its texture, or nothing. A file the check finds wrong
// never reaches the host, whose reader trusts its sizes; one that loads but
// holds no texture would leave the game without a gauge, so it is handed back
// and the next step is tried.
dictionary_look load_or_tell(const char* path, failure& last, const char* next) {
    dictionary_words why = words_of(check_dictionary(path));
    if (why.text[0] == '\0') {
        std::strcpy(why.text, "could not be loaded");
        if (const host_txd_handle dictionary = host_load_txd(path)) {
            if (host_texture* const texture = host_txd_texture(dictionary)) {
                last.path[0] = '\0';
                return {dictionary, texture};
            }
            host_release_txd(dictionary);
            std::strcpy(why.text, "holds no texture");
        }
    }
    if (std::strcmp(last.path, path) != 0 || std::strcmp(last.why.text, why.text) != 0) {
        std::strcpy(last.path, path);
        last.why = why;
        log_line("%s %s; %s", path, why.text, next);
    }
    return {};
}

} // namespace

void make_skin_dictionary_path(char (&path)[skin_dictionary_path_capacity], const char* skin,
                               speed_units units) {
    // At most skin_name_max: parse_skin let no longer name in.
    std::memcpy(path, models_folder, sizeof models_folder - 1);
    write_skin_dictionary_file(path + sizeof models_folder - 1, skin, units == speed_units::mph);
}

dictionary_look load_dictionary_of_look() {
    const bool mph = active_settings.units == speed_units::mph;
    if (active_settings.skin[0] != '\0') {
        make_skin_dictionary_path(skin_path, active_settings.skin, active_settings.units);
        const dictionary_look skin =
            load_or_tell(skin_path, skin_failed,
                         mph ? "trying the shipped mph artwork" : "trying the shipped artwork");
        if (skin.dictionary != nullptr) {
            return skin;
        }
    }
    // The mph dictionary is a file of its own, which a player may not have
    // put in place: the game then shows km/h, number and face alike, rather
    // than nothing.
    if (mph) {
        const dictionary_look shipped_mph =
            load_or_tell(speedometer_mph_dictionary_path, shipped_mph_failed,
                         "trying the shipped km/h artwork, which shows the speed in km/h");
        if (shipped_mph.dictionary != nullptr) {
            return shipped_mph;
        }
        active_settings.units = speed_units::kmh;
    }
    // The last step: there is nothing to step down to. An intact file is
    // handed over as in every release, and its host calls stay the same; a
    // damaged one never reaches the host's reader, which trusts its sizes and
    // could take the game down with it: that game has no gauge. A dictionary
    // without a texture is kept, and frames draw nothing until the next game.
    // Each is told of once each time the game runs: the player most likely
    // copied only the module, or a download was cut short.
    const dictionary_verdict verdict = check_dictionary(speedometer_dictionary_path);
    const dictionary_fault fault = verdict.fault;
    dictionary_look shipped;
    if (!is_damaged(fault)) {
        shipped.dictionary = host_load_txd(speedometer_dictionary_path);
        shipped.texture =
            shipped.dictionary != nullptr ? host_txd_texture(shipped.dictionary) : nullptr;
    }
    if (shipped.texture == nullptr && !shipped_failure_told) {
        shipped_failure_told = true;
        const dictionary_words damage = words_of(verdict);
        const char* const why = is_damaged(fault)               ? damage.text
                                : shipped.dictionary != nullptr ? "holds no texture"
                                                                : "could not be loaded";
        log_line("%s %s, so no gauge is drawn: copy the package's models folder, with all its "
                 "files, into the game's folder%s",
                 speedometer_dictionary_path, why, is_damaged(fault) ? " again" : "");
    }
    return shipped;
}
