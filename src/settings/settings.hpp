#pragma once
// What a player may change about the speedometer, from the settings file
// beside the module (speedometer.ini for speedometer.asi, section
// [speedometer]). Every default leaves the display exactly as without a file.
#include <cstddef>
#include <cstdint>

// The longest skin name a player may choose.
inline constexpr std::size_t skin_name_max = 32;

enum class speed_units : std::uint8_t { kmh, mph };

// The corner the gauge stands in: the screen's, or that of the centred area
// of this shape on a screen wider than it.
enum class screen_anchor : std::uint8_t { screen, wide_16_9, box_4_3 };

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
    screen_anchor anchor = screen_anchor::screen;
    std::uint8_t layout_key = 0; // virtual-key code of the layout mode; 0: none

    bool operator==(const speedometer_settings&) const = default;
};

// The settings in force. A plain static, so frames read it without any work.
extern speedometer_settings active_settings;

// Room for any allowed value and then some, in characters; a longer value is
// not allowed. Values are kept in UTF-8, up to three bytes a character.
inline constexpr std::size_t settings_value_characters = 64;
inline constexpr std::size_t settings_value_capacity = settings_value_characters * 3;
inline constexpr std::size_t settings_key_count = 10;

// For the player, in the log line of a refused opacity.
inline constexpr const char opacities_allowed[] = "0.1 to 1.0, at most six decimals";

// What one read of the settings file found. The values it refused are told to
// the log only once the read is kept: a read thrown away (the file was saved
// again while it was read) tells nothing.
struct settings_file_read {
    // False when the read was cut short (another program held the file shut
    // while it was read): nothing else in it counts.
    bool complete = true;
    speedometer_settings settings;
    struct refusal {
        std::uint8_t rule;
        char value[settings_value_capacity];
    };
    refusal refused[settings_key_count];
    std::size_t refused_count = 0;
};

// Reads the settings file at path, its section in one piece, by the rules
// below; active_settings is left alone and nothing is logged.
settings_file_read read_settings_file(const wchar_t* path);

// What a kept read found, in the log: one line for each value it refused,
// unless that key's last line already named the same value, and a byte-order
// mark the system may stumble on (settings_file_check.hpp).
void tell_what_the_read_found(const settings_file_read& read, const wchar_t* path);

// Reads the settings file into active_settings; called at each new game. A
// missing file gives the defaults and writes nothing, a file over 64 KB the
// defaults and one log line (settings_file_check.hpp); a value that is not
// allowed leaves its key at the default and is told (tell_what_the_read_found).
// False, with active_settings left alone, when the read was cut short.
// During a game the file is followed by settings_reload.hpp.
bool load_settings();

// The scale a value in the file gives, by the same rule as the file's read;
// false for a value the file's read refuses.
bool read_scale_text(const char* value, float& scale);

// Lets the next refused value of every key be logged, as at a new load.
void forget_logged_refusals_for_testing();
