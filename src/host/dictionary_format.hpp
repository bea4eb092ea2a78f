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

} // namespace dictionary_format
