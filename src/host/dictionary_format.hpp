#pragma once
// The host's texture dictionary file: a tree of chunks, each a 12-byte header
// (type, size of what follows, version stamp) and its body. The module checks
// a file by these before the host reads it; the project's own reader and
// writer (assets/) lay files out by them.
#include <cstdint>

namespace dictionary_format {

inline constexpr std::uint32_t chunk_struct = 0x01;
inline constexpr std::uint32_t chunk_extension = 0x03;
inline constexpr std::uint32_t chunk_texture = 0x15;
inline constexpr std::uint32_t chunk_dictionary = 0x16;
inline constexpr std::uint32_t chunk_header_size = 12;
// The library generation the host's own files carry in every chunk header;
// a reader may refuse another.
inline constexpr std::uint32_t version_stamp = 0x1803FFFF;
// The dictionary's struct: texture count and device id, two bytes each.
inline constexpr std::uint32_t dictionary_struct_size = 4;
inline constexpr std::uint32_t texture_header_size = 88;

// The texture header's pixel format: 32-bit colour with or without alpha, or
// a block-compressed format's four characters.
inline constexpr std::uint32_t pixel_format_argb = 21;
inline constexpr std::uint32_t pixel_format_rgb = 22;
inline constexpr std::uint32_t four_cc_dxt1 = 0x31545844;
inline constexpr std::uint32_t four_cc_dxt3 = 0x33545844;
inline constexpr std::uint32_t four_cc_dxt5 = 0x35545844;

// Where the texture header keeps what a reader branches on.
inline constexpr std::uint32_t platform_at = 0x00;
inline constexpr std::uint32_t filter_mode_at = 0x04;
inline constexpr std::uint32_t addressing_at = 0x05;
inline constexpr std::uint32_t name_at = 0x08;
inline constexpr std::uint32_t name_field_size = 32;
inline constexpr std::uint32_t raster_format_at = 0x48;
inline constexpr std::uint32_t pixel_format_at = 0x4C;
inline constexpr std::uint32_t width_at = 0x50;
inline constexpr std::uint32_t height_at = 0x52;
inline constexpr std::uint32_t depth_at = 0x54;
inline constexpr std::uint32_t level_count_at = 0x55;
inline constexpr std::uint32_t raster_type_at = 0x56;
inline constexpr std::uint32_t flags_at = 0x57;

inline constexpr std::uint32_t platform_id = 9;
inline constexpr std::uint8_t raster_type_texture = 4;
// The raster format: a colour nibble, and bits that change what follows the
// header. The nibble gives an uncompressed raster's device format (0x0500
// A8R8G8B8 and 0x0600 X8R8G8B8, 4 bytes a pixel; the others 2 bytes); for a
// compressed one it only sets the depth readers report.
inline constexpr std::uint32_t raster_format_1555 = 0x0100;
inline constexpr std::uint32_t raster_format_565 = 0x0200;
inline constexpr std::uint32_t raster_format_4444 = 0x0300;
inline constexpr std::uint32_t raster_format_8888 = 0x0500;
inline constexpr std::uint32_t raster_format_888 = 0x0600;
inline constexpr std::uint32_t raster_format_colour_mask = 0x0F00;
inline constexpr std::uint32_t raster_format_automatic_mip_levels = 0x1000;
inline constexpr std::uint32_t raster_format_palette_8 = 0x2000;
inline constexpr std::uint32_t raster_format_palette_4 = 0x4000;
inline constexpr std::uint32_t raster_format_has_mip_levels = 0x8000;
inline constexpr std::uint8_t bits_per_pixel_32 = 32;
inline constexpr std::uint8_t flag_has_alpha = 0x01;
inline constexpr std::uint8_t flag_cube = 0x02;
inline constexpr std::uint8_t flag_automatic_mip_levels = 0x04;
inline constexpr std::uint8_t flag_compressed = 0x08;
// Larger sides than any device the host runs on takes.
inline constexpr std::uint32_t largest_side = 4096;

// The format is little-endian throughout, whatever the reading machine.
inline std::uint32_t u32_at(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline std::uint32_t u16_at(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8;
}

} // namespace dictionary_format
