#include "speedometer/resources.hpp"

#include "settings/settings.hpp"
#include "settings/settings_reload.hpp"
#include "speedometer/frame.hpp"
#include "speedometer/layout_mode.hpp"
#include "speedometer/skin_dictionary.hpp"
#include "speedometer/text_shift.hpp"
#include "speedometer/trig_tables.hpp"
#include "speedometer/visibility_toggle.hpp"

host_txd_handle txd_handle = nullptr;

void load_resources() {
    // Each new game reads the settings afresh and starts with the speedometer
    // shown; during the game the drawing handler follows the file.
    load_settings_for_new_game();
    show_speedometer();
    // A place being tried is not saved across games.
    end_layout_mode();
    // Each new game loads the dictionary again; hand the previous one back
    // first so repeated starts don't pile up dictionaries in the host.
    if (txd_handle != nullptr) {
        release_resources();
    }
    const dictionary_look look = load_dictionary_of_look();
    txd_handle = look.dictionary;
    speedometer_texture = look.texture;
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
