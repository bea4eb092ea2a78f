#include "speedometer/resources.hpp"

#include "files/module_log.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/settings.hpp"
#include "speedometer/settings_reload.hpp"
#include "speedometer/text_shift.hpp"
#include "speedometer/trig_tables.hpp"
#include "speedometer/visibility_toggle.hpp"

host_txd_handle txd_handle = nullptr;

namespace {

// The mph dictionary is a file of its own, which a player may not have put in
// place: the game then shows km/h, number and face alike, rather than
// nothing, and the log says why once.
host_txd_handle load_dictionary_of_units() {
    if (active_settings.units == speed_units::mph) {
        if (const host_txd_handle mph = host_load_txd(speedometer_mph_dictionary_path)) {
            return mph;
        }
        static bool told = false;
        if (!told) {
            told = true;
            log_line("%s could not be loaded; the speed is shown in km/h",
                     speedometer_mph_dictionary_path);
        }
        active_settings.units = speed_units::kmh;
    }
    return host_load_txd(speedometer_dictionary_path);
}

} // namespace

void load_resources() {
    // Each new game reads the settings afresh and starts with the speedometer
    // shown; during the game the drawing handler follows the file.
    load_settings_for_new_game();
    show_speedometer();
    // Each new game loads the dictionary again; hand the previous one back
    // first so repeated starts don't pile up dictionaries in the host.
    if (txd_handle != nullptr) {
        release_resources();
    }
    txd_handle = load_dictionary_of_units();
    speedometer_texture = txd_handle != nullptr ? host_txd_texture(txd_handle) : nullptr;
    build_trig_tables();
    if (active_settings.hud_text_shift) {
        install_text_shift();
    }
}

void release_resources() {
    // The texture belongs to the dictionary: once it is released no frame may
    // use it, so frames until the next load draw nothing.
    speedometer_texture = nullptr;
    if (txd_handle != nullptr) {
        host_release_txd(txd_handle);
        txd_handle = nullptr;
    }
}
