#pragma once
// A texture header against the layouts the host's reader takes: the reader
// trusts the header and branches on it before it reads a level, so a field
// that disagrees with the levels makes it read out of step or past a level's
// end.
#include "speedometer/dictionary_check.hpp"

#include <cstdint>

// The header's fields, once its levels were found to have the byte counts its
// pixel format code, sides and level count take. Passes one layout of the
// format: platform 9; 32-bit colour (code 21 with the alpha flag and colour
// nibble 0x0500, or 22 without the flag and 0x0500 or 0x0600), or DXT1, DXT3,
// DXT5 with the compressed flag and sides multiples of 4; no palette, cube map
// or automatic levels; one level without the mip bit, or the whole chain
// down to 1 by 1 with it, and a filter mode to match. A header that agrees
// but for a chain that stops short is partial_chain.
dictionary_fault texture_header_fault(const unsigned char* header);

// Levels of the whole chain: each halves the one above, rounded down, down
// to 1 by 1.
std::uint32_t whole_chain(std::uint32_t width, std::uint32_t height);
