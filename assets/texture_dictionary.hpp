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
    // How the host samples it: filter mode 1 nearest or 2 linear; addressing
    // with u in the low 4 bits and v in the high 4 (1 wrap, 2 mirror, 3 clamp,
    // 4 border).
    std::uint8_t filter_mode = 2;
    std::uint8_t addressing = 0x33;
};

// Empty when a texture cannot be stored as it is: a name that is empty or
// longer than 31 characters, a width or height outside 1..4096, a pixel
// buffer whose size is not width * height * 4, or a filter or addressing mode
// outside those above. Names are written lower case.
std::vector<std::uint8_t> encode(const std::vector<texture_image>& textures);
// Null when the bytes are not a well-formed dictionary of this layout.
std::optional<std::vector<texture_image>> decode(std::span<const std::uint8_t> bytes);

// False when the textures cannot be encoded or the file cannot be written.
bool write_file(const std::string& path, const std::vector<texture_image>& textures);
std::optional<std::vector<texture_image>> read_file(const std::string& path);

} // namespace txd
