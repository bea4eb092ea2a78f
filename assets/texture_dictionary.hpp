#pragma once
// The host's texture dictionary file: a tree of chunks holding one or more
// textures, 32-bit with or without alpha or block-compressed (DXT1, DXT3,
// DXT5). Reading is strict: any size that does not match exactly, and any
// header field the host's reader would take differently from the levels,
// makes the file unreadable, and the reader says why. What follows the
// dictionary's chunk is not read.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace txd {

// How a texture's levels are stored. The device is created in exactly this
// format and decodes the blocks itself.
enum class pixel_encoding : std::uint8_t { rgba32, dxt1, dxt3, dxt5 };

struct texture_image {
    std::string name; // lower case, at most 31 characters
    int width = 0;
    int height = 0;
    pixel_encoding encoding = pixel_encoding::rgba32;
    // 32-bit: whether the alpha bytes are used (pixel format 21 and colour
    // 0x0500, or 22 and 0x0600 without). DXT1: whether its one bit of alpha is
    // used. DXT3 and DXT5 always have alpha.
    bool has_alpha = true;
    // Level 0. For rgba32: rows top first, 4 bytes a pixel: R, G, B, A. For
    // the DXT encodings: the blocks as the file and the device hold them, rows
    // of 4 by 4 blocks top first, 8 bytes a block for DXT1, 16 for the others.
    std::vector<std::uint8_t> rgba;
    // The smaller copies below the full size, largest first, laid out as rgba:
    // either none, or every level down to 1 by 1, each half the one above
    // (rounded down, at least 1).
    std::vector<std::vector<std::uint8_t>> mip_levels;
    // How the host samples it: filter mode 1 nearest or 2 linear without mip
    // levels, 3 to 6 (6: linear within and between levels) with them;
    // addressing with u in the low 4 bits and v in the high 4 (1 wrap,
    // 2 mirror, 3 clamp, 4 border).
    std::uint8_t filter_mode = 2;
    std::uint8_t addressing = 0x33;
};

// Empty when a texture cannot be stored as it is: a name that is empty or
// longer than 31 characters, a width or height outside 1..4096, a level whose
// size is not level_byte_count's, mip levels that are not the
// whole chain of the right sizes, or a filter or addressing mode outside
// those above. Names are written lower case.
std::vector<std::uint8_t> encode(const std::vector<texture_image>& textures);
// Null when the bytes are not a well-formed dictionary of this layout; then
// `why`, when given, tells the first thing found wrong, in a few words.
std::optional<std::vector<texture_image>> decode(std::span<const std::uint8_t> bytes,
                                                 std::string* why = nullptr);

// False when the textures cannot be encoded or the file cannot be written.
// The bytes go to a temporary file beside `path` that then takes its name, so
// a failed or interrupted write never leaves half a dictionary in place of
// the one that was there.
bool write_file(const std::filesystem::path& path, const std::vector<texture_image>& textures);
std::optional<std::vector<texture_image>> read_file(const std::filesystem::path& path,
                                                    std::string* why = nullptr);

// Bytes of one level: width * height * 4 for rgba32; for the DXT encodings a
// whole block for every started 4 by 4 (8 bytes for DXT1, 16 for the others).
std::size_t level_byte_count(pixel_encoding encoding, int width, int height);

// Levels a full chain has for a texture of this size: 12 for 2048 by 1024.
int mip_level_count(int width, int height);
// Width or height of a level: halved per level, rounded down, at least 1.
int mip_level_side(int side, int level);

} // namespace txd
