#pragma once
// The host's texture dictionary file: a tree of chunks holding one or more
// uncompressed 32-bit textures with alpha. Reading is strict: any size that
// does not match exactly makes the file unreadable.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace txd {

struct texture_image {
    std::string name; // lower case, at most 31 characters
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // rows top first, 4 bytes a pixel: R, G, B, A
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
// longer than 31 characters, a width or height outside 1..4096, a pixel
// buffer whose size is not width * height * 4, mip levels that are not the
// whole chain of the right sizes, or a filter or addressing mode outside
// those above. Names are written lower case.
std::vector<std::uint8_t> encode(const std::vector<texture_image>& textures);
// Null when the bytes are not a well-formed dictionary of this layout.
std::optional<std::vector<texture_image>> decode(std::span<const std::uint8_t> bytes);

// False when the textures cannot be encoded or the file cannot be written.
bool write_file(const std::string& path, const std::vector<texture_image>& textures);
std::optional<std::vector<texture_image>> read_file(const std::string& path);

// Levels a full chain has for a texture of this size: 12 for 2048 by 1024.
int mip_level_count(int width, int height);
// Width or height of a level: halved per level, rounded down, at least 1.
int mip_level_side(int side, int level);

} // namespace txd
