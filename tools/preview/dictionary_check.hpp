#pragma once
// What the previewer checks in a dictionary before it draws it: what the
// packer checks of a PNG (size and ratio), what the packer always writes
// (every level, DXT5 or 32-bit) and the sprites' margins at small sizes, with
// the packer's own warnings.
#include <filesystem>
#include <string>
#include <vector>

namespace preview {

struct dictionary_check {
    std::string refusal;               // empty when the game can draw it
    std::vector<std::string> warnings; // one line each, naming the sprite
};

// `shown` is the path as the messages name it (UTF-8).
dictionary_check check_dictionary(const std::filesystem::path& path, const std::string& shown);

} // namespace preview
