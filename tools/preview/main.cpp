// speedometer_preview: draws a skin's dictionaries as the game would, with the
// real module in a simulated game through Direct3D 9, on one PNG sheet; with
// --watch, packs a skin's PNG and draws it again at each save.
#include "console.hpp"
#include "preview_run.hpp"
#include "program_version.hpp"
#include "skin_watch.hpp"
#include "stop_request.hpp"
#include "utf8_path.hpp"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The module the game loads, shipped beside this program in the kit.
std::filesystem::path module_beside_program() {
    std::vector<wchar_t> name(MAX_PATH);
    while (GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())) == name.size())
        name.resize(name.size() * 2);
    return std::filesystem::path(name.data()).parent_path() / L"speedometer.asi";
}

constexpr const char* usage_text =
    "usage: speedometer_preview DICTIONARY.txd [OTHER_FACE.txd] [-o SHEET.png]\n"
    "       speedometer_preview --watch [--32bit] SKIN.png\n"
    "  Draws a skin's km/h and mph dictionaries (speedometer_NAME.txd and\n"
    "  speedometer_NAME_mph.txd, in any order; the other face is found beside a\n"
    "  single one) as the game does, on one sheet: speedometer_NAME_preview.png\n"
    "  in this folder (the one above, when this is a models folder), or SHEET.\n"
    "  --watch packs SKIN.png as speedometer_skin does and draws its sheet beside\n"
    "  it, then again at each save, until Esc, Q or the window is closed.\n";

int usage(std::FILE* stream, int status) {
    skin::print(stream, "%s", usage_text);
    return status;
}

int run(const std::vector<std::string>& arguments) {
    preview::preview_request request;
    preview::watch_request watch;
    request.module = watch.module = module_beside_program();
    bool watching = false;
    for (std::size_t arg = 0; arg < arguments.size(); ++arg) {
        const std::string& a = arguments[arg];
        const bool has_value = arg + 1 < arguments.size();
        if (a == "--help" || a == "-h" || a == "/?")
            return usage(stdout, 0);
        if (a == "--version") {
            skin::print(stdout, "speedometer_preview %s\n",
                        skin::program_version(SPEEDOMETER_VERSION).c_str());
            return 0;
        }
        if (a == "--watch" && has_value && watch.png.empty()) {
            watching = true;
            watch.png = arguments[++arg];
        } else if (a == "--32bit") {
            watch.uncompressed = true;
        } else if (a == "--stop-after" && has_value) {
            watch.stop_after = std::atoi(arguments[++arg].c_str());
        } else if (a == "-o" && has_value && !request.sheet) {
            request.sheet = skin::utf8_path(arguments[++arg]);
        } else if (a == "--packed-from" && has_value && !request.packed_from) {
            request.packed_from = skin::utf8_path(arguments[++arg]);
        } else if (a.starts_with("-")) {
            return usage(stderr, 2);
        } else {
            request.dictionaries.push_back(skin::utf8_path(a));
        }
    }
    if (watching)
        return request.dictionaries.empty() ? preview::watch_skin(watch, stdout, stderr)
                                            : usage(stderr, 2);
    if (request.dictionaries.empty())
        return usage(stderr, 2);
    return preview::run_preview(request, stdout, stderr);
}

} // namespace

int main(int argc, char** argv) {
    SetConsoleOutputCP(CP_UTF8);
    preview::listen_for_stop();
    std::vector<std::string> arguments;
    int status = 1;
    try {
        arguments = skin::utf8_arguments(argc, argv);
        status = run(arguments);
    } catch (const std::exception& e) {
        skin::print(stderr, "refused: %s\n", e.what());
    }
    // The game folder is gone by now: a window being closed may close.
    preview::cleaned_up();
    // Started by Explorer (a double click, or a dictionary dropped on it):
    // the window closes with the program, so its messages wait for a key.
    if (!preview::stop_asked() && skin::console_closes_with_program())
        skin::wait_for_key();
    return status;
}
