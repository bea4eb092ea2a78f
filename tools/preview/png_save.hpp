#pragma once
// When watch mode takes a save of the PNG: once the file has stood still for
// a look and holds a whole PNG. A paint program may write it in pieces, or
// replace it through a rename; a save still being written is never packed
// (and so never reported as broken).
#include <cstdint>
#include <filesystem>
#include <optional>

namespace preview {

// What one look at the file finds.
struct png_look {
    bool present = false;
    std::uint64_t written = 0, size = 0;
    // It ends in a PNG's end chunk, or it is no PNG at all (the packer then
    // says what it is); false for a PNG cut short.
    bool whole = false;
    bool operator==(const png_look&) const = default;
};

// The file's bytes are read only when its stamp differs from `before`'s.
png_look look_at(const std::filesystem::path& png, const png_look& before = {});

enum class save_step {
    wait,
    take,                 // pack it
    say_missing,          // once, each time the file goes away (or was never there)
    say_still_unfinished, // once, when a PNG cut short has stood still for long
};

class png_save_watch {
  public:
    // Looks that a PNG cut short may stand still before that is said.
    static constexpr int unfinished_looks = 100;

    save_step look(const png_look& now);
    // Whether the file was ever there, for the words of say_missing.
    bool ever_seen() const { return ever_seen_; }

  private:
    png_look last_;
    std::optional<png_look> taken_;
    int still_looks_ = 0;
    bool ever_seen_ = false, said_missing_ = false, said_unfinished_ = false;
};

} // namespace preview
