#include "skin_watch.hpp"

#include "console.hpp"
#include "dictionary_target.hpp"
#include "dxt_encoder.hpp"
#include "preview_run.hpp"
#include "sheet_place.hpp"
#include "skin_pack.hpp"
#include "stop_request.hpp"
#include "utf8_path.hpp"

#include <windows.h>

#include <conio.h>

#include <optional>

namespace preview {

namespace {

// A save shows as a new write time or size; none while the file is away (a
// paint program may replace it through a rename).
struct file_stamp {
    std::uint64_t written = 0, size = 0;
    bool operator==(const file_stamp&) const = default;
};

std::optional<file_stamp> stamp_of(const std::filesystem::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return file_stamp{std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
                          data.ftLastWriteTime.dwLowDateTime,
                      std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow};
}

// Esc or Q in the program's console window; never when input is a file or pipe.
bool stop_key_pressed() {
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode))
        return false;
    while (_kbhit()) {
        const int key = _getch();
        if (key == 27 || key == 'q' || key == 'Q')
            return true;
    }
    return false;
}

constexpr DWORD poll_ms = 50;

} // namespace

int watch_skin(const watch_request& request, std::FILE* report, std::FILE* errors) {
    const skin::dictionary_target made = skin::target_for(request.png, "");
    if (!made.refusal.empty()) {
        skin::print(errors, "refused: %s\n", made.refusal.c_str());
        return 1;
    }
    const std::filesystem::path png = skin::utf8_path(request.png);
    const std::filesystem::path png_absolute = std::filesystem::absolute(png);
    preview_request preview;
    preview.module = request.module;
    preview.dictionaries = {skin::utf8_path(made.path)};
    preview.packed_from = png;
    const std::filesystem::path sheet = sheet_from_here(made.skin, png);
    skin::print(report,
                "watching %s (skin = %s): each save packs it into %s and draws %s "
                "again; Esc or Q stops\n",
                request.png.c_str(), made.skin.c_str(), made.path.c_str(),
                skin::utf8_text(sheet).c_str());
    // A save usually changes a part of the picture: only its blocks are fitted again.
    dxt::remember_blocks();
    std::optional<preview_game> game;
    int status = 0, handled = 0;
    std::optional<file_stamp> seen = stamp_of(png_absolute), packed;
    for (;;) {
        if (seen && seen != packed) {
            packed = seen;
            skin::pack_request pack;
            pack.png_path = request.png;
            pack.dictionary_path = made.path;
            pack.uncompressed = request.uncompressed;
            if (handled == 0) // the name's notes once, with the first pack
                pack.notes = made.notes;
            status = skin::pack_skin(pack, report, errors);
            if (status != 0)
                skin::print(report, "the last good dictionary and sheet stay; save again\n");
            else
                status = preview_once(preview, game, report, errors);
            ++handled;
            std::fflush(report);
            std::fflush(errors);
        }
        if ((request.stop_after > 0 && handled >= request.stop_after) || stop_asked() ||
            stop_key_pressed())
            return status;
        // A save is taken once its file has stood still for one look: a paint
        // program may still be writing it.
        Sleep(poll_ms);
        const std::optional<file_stamp> now = stamp_of(png_absolute);
        if (now && now != packed) {
            Sleep(poll_ms);
            seen = stamp_of(png_absolute) == now ? now : std::nullopt;
        }
    }
}

} // namespace preview
