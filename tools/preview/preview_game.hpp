#pragma once
// The simulated game the previewer draws in: its folder, the device and the
// module loaded once, so that a watched skin is redrawn at each save without
// starting anything again.
#include "dictionary_pair.hpp"
#include "game_folder.hpp"

#include <windows.h>

#include <filesystem>
#include <string>

namespace preview {

struct written_sheet {
    int width = 0, height = 0;
    std::size_t cells = 0;
};

class preview_game {
  public:
    // Makes the game folder and loads the module into the simulated host.
    // Throws std::runtime_error saying what failed.
    explicit preview_game(const std::filesystem::path& module);
    // Unloads the module, then removes the folder.
    ~preview_game();
    preview_game(const preview_game&) = delete;
    preview_game& operator=(const preview_game&) = delete;

    // Draws the skin's faces as their files are now and writes the sheet to
    // `target`, replacing what is there; with `first_picture`, also once its
    // first row is drawn, so a skin maker watching it sees the saved face
    // at once. Paths absolute: the game folder is the current one. Throws
    // std::runtime_error when it cannot.
    written_sheet draw(const skin_dictionaries& skin, const std::filesystem::path& target,
                       bool first_picture = false);

  private:
    game_folder folder_;
    HMODULE module_ = nullptr;
    std::string module_version_;
};

} // namespace preview
