#pragma once
// Which face each dictionary given to the previewer is, told from its file
// name by the module's own rule (settings/skin_name.hpp), so the order they
// come in never matters; and the other face picked up from beside a single
// one, as the game finds it in its models folder.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace preview {

struct skin_dictionaries {
    std::string skin; // the skin's name; empty for the shipped artwork
    std::optional<std::filesystem::path> kmh, mph;
    std::string refusal;   // empty when they can be drawn
    std::string picked_up; // a line naming the other face found beside, or empty
};

skin_dictionaries pair_dictionaries(const std::vector<std::filesystem::path>& given);

// The dictionary of the other face beside `dictionary`: speedometer_NAME.txd
// for speedometer_NAME_mph.txd and the other way round; nothing for a file
// whose name the game loads for no skin.
std::optional<std::filesystem::path> other_face(const std::filesystem::path& dictionary);

} // namespace preview
