#pragma once
// A game folder of the previewer's own, made for one run: the module, and
// the skin's dictionaries in models\ under the name the settings give, so the
// module finds them as it finds a player's skin in the game.
#include <filesystem>
#include <optional>

namespace preview {

// The skin's name in the folder's settings file.
inline constexpr const char* staged_skin = "preview";

class game_folder {
  public:
    // Makes the folder in the user's temporary folder and makes it the
    // current one, so the host's and the module's files are found by short
    // relative names. Throws std::runtime_error saying what failed.
    game_folder(const std::filesystem::path& module, const std::filesystem::path& kmh,
                const std::optional<std::filesystem::path>& mph);
    // Back to the folder that was current, and this one removed with all in it.
    // The module must be unloaded by then.
    ~game_folder();
    game_folder(const game_folder&) = delete;
    game_folder& operator=(const game_folder&) = delete;

    // The module's settings file, written whole.
    void write_settings(const std::string& lines) const;
    // The module's log, empty when it wrote none.
    std::string module_log() const;
    std::filesystem::path module() const;

  private:
    std::filesystem::path root_;
    std::filesystem::path previous_;
};

} // namespace preview
