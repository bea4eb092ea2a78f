#include "skin_watch.hpp"

#include "console.hpp"
#include "dictionary_target.hpp"
#include "dxt_encoder.hpp"
#include "png_save.hpp"
#include "preview_run.hpp"
#include "sheet_place.hpp"
#include "skin_pack.hpp"
#include "stop_request.hpp"
#include "utf8_path.hpp"

#include <windows.h>

#include <conio.h>

#include <optional>
#include <string>

namespace preview {

namespace {

// What the watcher waits for when the PNG is not there, said once.
std::string missing(const std::filesystem::path& png, const std::string& shown, bool ever_seen) {
    if (ever_seen)
        return shown + " is gone (renamed, moved, or its folder renamed): waiting for it to be "
                       "saved there again; Esc or Q stops";
    const std::filesystem::path folder = png.parent_path();
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored))
        return "no folder " + skin::utf8_text(folder) + ": waiting for " + shown +
               " to be saved there; check the name you gave; Esc or Q stops";
    std::string pngs;
    int listed = 0;
    std::filesystem::directory_iterator entry(folder, ignored), end;
    for (; entry != end && listed < 5; entry.increment(ignored)) {
        std::string extension = skin::utf8_text(entry->path().extension());
        for (char& c : extension)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (extension == ".png" && !skin::utf8_text(entry->path().stem()).ends_with("_preview"))
            pngs += (listed++ == 0 ? " (PNGs there: " : ", ") +
                    skin::utf8_text(entry->path().filename());
    }
    return shown + " is not there: waiting for it to be saved; check the name you gave" +
           (listed > 0 ? pngs + ")" : std::string()) + "; Esc or Q stops";
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
    preview.first_picture = true;
    const std::filesystem::path sheet = sheet_from_here(made.skin, png);
    skin::print(report,
                "watching %s (skin = %s): each save packs it into %s and draws %s "
                "again; Esc or Q stops\n",
                request.png.c_str(), made.skin.c_str(), made.path.c_str(),
                skin::utf8_text(sheet).c_str());
    // A save usually changes a part of the picture: only its blocks are fitted again.
    dxt::remember_blocks();
    std::optional<preview_game> game;
    png_save_watch saves;
    png_look looked;
    int status = 0, handled = 0;
    bool written_once = false;
    for (;;) {
        looked = look_at(png_absolute, looked);
        switch (saves.look(looked)) {
        case save_step::take: {
            skin::pack_request pack;
            pack.png_path = request.png;
            pack.dictionary_path = made.path;
            pack.uncompressed = request.uncompressed;
            if (handled == 0) // the name's notes once, with the first pack
                pack.notes = made.notes;
            status = skin::pack_skin(pack, report, errors);
            if (status != 0)
                skin::print(report, "%s; save again\n",
                            written_once ? "the last good dictionary and sheet stay"
                                         : "nothing is written until a save packs");
            else
                status = preview_once(preview, game, report, errors);
            written_once = written_once || status == 0;
            ++handled;
            break;
        }
        case save_step::say_missing:
            skin::print(report, "%s\n",
                        missing(png_absolute, request.png, saves.ever_seen()).c_str());
            break;
        case save_step::say_still_unfinished:
            skin::print(report,
                        "%s has stood unfinished (no PNG end) for a while: waiting for the save "
                        "to end; if it failed, save again\n",
                        request.png.c_str());
            break;
        case save_step::wait:
            break;
        }
        std::fflush(report);
        std::fflush(errors);
        if ((request.stop_after > 0 && handled >= request.stop_after) || stop_asked() ||
            stop_key_pressed())
            return status;
        Sleep(poll_ms);
    }
}

} // namespace preview
