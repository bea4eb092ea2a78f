#pragma once
// Fixed virtual addresses of the one host build this module serves. No other
// file names a host address: everything else goes through these constants.
#include <cstdint>

namespace host_address {

using value = std::uint32_t;

// Functions.
inline constexpr value player_vehicle = 0x56E0D0;
inline constexpr value vector_length = 0x4082C0;
inline constexpr value hud_text_a = 0x71A820;
inline constexpr value hud_text_b = 0x71A700;
inline constexpr value load_txd = 0x5B3860;
inline constexpr value txd_texture = 0x734940;
inline constexpr value release_txd = 0x7F36A0;
inline constexpr value make_color = 0x7170C0;
inline constexpr value make_rect = 0x4041C0;
inline constexpr value draw_textured_quad = 0x727710;
inline constexpr value render_2d = 0x734E90;

// Globals.
inline constexpr value screen_width = 0xC17044;
inline constexpr value screen_height = 0xC17048;
inline constexpr value quad_vertices = 0xC80468;
inline constexpr value render_engine = 0xC97B24;

// Call sites that the module takes over (E8 rel32 in the host's code).
inline constexpr value init_call_site = 0x5BF3A1;
inline constexpr value draw_call_site = 0x53E4FF;
inline constexpr value shutdown_call_site = 0x53D910;
inline constexpr value hud_text_a_call_site = 0x58AE5D;
inline constexpr value hud_text_b_call_site = 0x58B156;

// A code byte that tells apart two variants of some builds of the host.
inline constexpr value variant_probe_byte = 0x406A20;

// Where every host image of this family expects to be based.
inline constexpr value preferred_image_base = 0x400000;

} // namespace host_address
