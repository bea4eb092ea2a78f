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
    // Makes the folder in the user's temporary folder. Throws
    // std::runtime_error saying what failed.
    explicit game_folder(const std::filesystem::path& module);
    // Removes the folder with all in it. The module must be unloaded by then.
    ~game_folder();
    game_folder(const game_folder&) = delete;
    game_folder& operator=(const game_folder&) = delete;

    // The skin's dictionaries in models\, each face copied from its file
    // (absolute path) or removed, as they are now: the module reads them at
    // each game start.
    void stage(const std::optional<std::filesystem::path>& kmh,
               const std::optional<std::filesystem::path>& mph) const;
    // The module's settings file, written whole.
    void write_settings(const std::string& lines) const;
    // The module's log, empty when it wrote none.
    std::string module_log() const;
    std::filesystem::path module() const;
    const std::filesystem::path& root() const { return root_; }

  private:
    std::filesystem::path root_;
};

// While it lives, the game folder is the current one, so the host's and the
// module's files are found by short relative names (the host's file calls
// are narrow; the folder may be named in any script).
class inside_game_folder {
  public:
    explicit inside_game_folder(const game_folder& folder);
    ~inside_game_folder();
    inside_game_folder(const inside_game_folder&) = delete;
    inside_game_folder& operator=(const inside_game_folder&) = delete;

  private:
    std::filesystem::path previous_;
};

} // namespace preview
