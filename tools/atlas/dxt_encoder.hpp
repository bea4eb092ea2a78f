#pragma once
// Block compression of the artwork's finished 32-bit levels, as the host's
// device samples them. One interface, whatever encoder sits behind it: every
// tool that ships artwork (the atlas, skins) compresses through it, so all of
// it looks alike.
#include "assets/texture_dictionary.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace dxt {

// DXT5 blocks of one level of straight-alpha R, G, B, A pixels, rows top
// first: a 16-byte block for every started 4 by 4, rows of blocks top first.
// Colour is fitted weighted by alpha, so transparent pixels take no precision
// from visible ones.
std::vector<std::uint8_t> compress_dxt5_level(int width, int height,
                                              std::span<const std::uint8_t> rgba);

// For a program that compresses one picture again after each edit (the
// previewer's watch mode): from now on each level's pixels and blocks are
// kept, and a 4 by 4 block whose pixels are those of the last level of the
// same size gets that level's bytes again instead of a new fit. The bytes
// are the same either way, since each block is fitted to its own 16 pixels
// alone; an edit then costs the blocks it touched.
void remember_blocks();

// A 32-bit texture with every level compressed to DXT5, each from its own
// finished 32-bit level (never one compressed level from another); name,
// size and sampling unchanged. Throws std::invalid_argument for a texture
// that is not rgba32 or whose levels are not its size.
txd::texture_image compress_dxt5(const txd::texture_image& rgba32);

} // namespace dxt
