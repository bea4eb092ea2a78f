#include "preview_game.hpp"

#include "sheet_caption.hpp"
#include "sheet_drawing.hpp"
#include "utf8_path.hpp"
#include "write_failure.hpp"

#include "simhost/file_version.hpp"
#include "simhost/sim_host.hpp"

#include <stb_image_write.h>

#include <stdexcept>

namespace preview {

namespace {

// The sheet is written into the game folder first and then moved, so that a
// failed run leaves no half-written picture where the skin maker looks.
void write_sheet(const sheet_picture& sheet, const std::filesystem::path& target) {
    const std::string staged = "preview_sheet.png"; // in the current (game) folder
    if (!sim::write_png(staged, sheet.width, sheet.height, sheet.pixels))
        throw std::runtime_error("cannot write the sheet");
    std::error_code ignored; // the move says whether the folder is usable
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ignored);
    const std::filesystem::path from = std::filesystem::absolute(staged);
    if (!MoveFileExW(from.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        throw std::runtime_error(skin::write_failure(skin::utf8_text(target), target));
}

// Under Wine, Direct3D runs each frame's commands on a thread of its own,
// which spins between them while it waits for more; a sheet is many small
// frames, each read back at once, and that spinning cost several times the
// drawing. Wine's Direct3D reads this setting as it loads, at the first
// frame, through the C run-time's copy of the environment, which each
// run-time loaded took at its start. Windows has no use for it; a setting
// of the skin maker's own stays.
void draw_on_this_thread_under_wine() {
    constexpr const wchar_t* setting = L"WINE_D3D_CONFIG=csmt=0x0";
    if (GetEnvironmentVariableW(L"WINE_D3D_CONFIG", nullptr, 0) != 0)
        return;
    SetEnvironmentVariableW(L"WINE_D3D_CONFIG", L"csmt=0x0");
    for (const wchar_t* runtime : {L"ucrtbase.dll", L"msvcrt.dll"}) {
        const HMODULE loaded = GetModuleHandleW(runtime);
        using put_function = int(__cdecl*)(const wchar_t*);
        const auto put = reinterpret_cast<put_function>(reinterpret_cast<void (*)()>(
            loaded != nullptr ? GetProcAddress(loaded, "_wputenv") : nullptr));
        if (put != nullptr)
            put(setting);
    }
}

} // namespace

preview_game::preview_game(const std::filesystem::path& module) : folder_(module) {
    draw_on_this_thread_under_wine();
    sim::install();
    sim::set_drawing_enabled(true);
    sim::set_asset_root(""); // the game folder is the current one
    // Quick to write: the sheet is looked at once and drawn again at the next
    // save; the sheet's size matters less than the wait for it.
    stbi_write_png_compression_level = 1;
    stbi_write_force_png_filter = 1; // one filter for every line, not the best of five

    {
        const inside_game_folder inside(folder_);
        module_version_ = sim::read_file_version("speedometer.asi").product_version;
    }
    // The module takes over the host's call sites as it loads, as in the game.
    module_ = LoadLibraryW(folder_.module().c_str());
    if (module_ == nullptr)
        throw std::runtime_error(
            "speedometer.asi beside speedometer_preview.exe could not be loaded (missing, "
            "damaged, or not the speedometer module): unpack the whole skin kit again, keeping "
            "speedometer.asi beside the previewer");
}

preview_game::~preview_game() {
    FreeLibrary(module_);
}

written_sheet preview_game::draw(const skin_dictionaries& skin, const std::filesystem::path& target,
                                 bool first_picture) {
    folder_.stage(skin.kmh, skin.mph);
    const inside_game_folder inside(folder_);
    const auto rows = sheet_rows(skin.kmh.has_value(), skin.mph.has_value());
    const auto write_first = [&](const sheet_picture& first) { write_sheet(first, target); };
    const sheet_picture sheet =
        draw_sheet(folder_, rows, sheet_caption(skin, module_version_),
                   first_picture ? std::function<void(const sheet_picture&)>(write_first)
                                 : std::function<void(const sheet_picture&)>());
    write_sheet(sheet, target);
    return {sheet.width, sheet.height, lay_out(rows).cells.size()};
}

} // namespace preview
