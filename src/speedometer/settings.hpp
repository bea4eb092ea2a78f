#pragma once
// What a player may change about the speedometer, from the settings file
// beside the module (speedometer.ini for speedometer.asi, section
// [speedometer]). Every default leaves the display exactly as without a file.
#include <cstddef>
#include <cstdint>

// The longest skin name a player may choose.
inline constexpr std::size_t skin_name_max = 32;

enum class speed_units : std::uint8_t { kmh, mph };

struct speedometer_settings {
    speed_units units = speed_units::kmh;
    float scale = 1.0f;          // multiplies every reference length of the layout
    float offset_x = 0.0f;       // reference pixels further left
    float offset_y = 0.0f;       // reference pixels further up
    std::uint8_t toggle_key = 0; // virtual-key code that hides and shows; 0: none
    bool hud_text_shift = true;
    // Every alpha handed to the host is multiplied by this many millionths:
    // whole numbers, so a half rounds up exactly as the decimal says.
    std::uint32_t opacity_millionths = 1000000;
    // The chosen skin's name, lower case; empty for the shipped artwork.
    char skin[skin_name_max + 1] = {};

    bool operator==(const speedometer_settings&) const = default;
};

// The settings in force. A plain static, so frames read it without any work.
extern speedometer_settings active_settings;

// Reads the settings file at path and hands back what it holds, by the rules
// below; active_settings is left alone.
speedometer_settings read_settings_file(const wchar_t* path);

// Reads the settings file into active_settings; called at each init. A
// missing or unreadable file gives the defaults and writes nothing, a file
// over 64 KB the defaults and one log line (settings_file_check.hpp); a value
// that is not allowed leaves its key at the default and puts one line into
// the module's log, unless that key's last line already named the same value.
// During a game the file is followed by settings_reload.hpp.
void load_settings();

// Lets the next refused value of every key be logged, as at a new load.
void forget_logged_refusals_for_testing();
