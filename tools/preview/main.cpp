// speedometer_preview: draws a skin's dictionaries as the game would, with the
// real module in a simulated game through Direct3D 9, on one PNG sheet.
#include "console.hpp"
#include "preview_run.hpp"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// The module the game loads, shipped beside this program in the kit.
std::filesystem::path module_beside_program() {
    std::vector<wchar_t> name(MAX_PATH);
    while (GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())) == name.size())
        name.resize(name.size() * 2);
    return std::filesystem::path(name.data()).parent_path() / L"speedometer.asi";
}

int usage() {
    skin::print(stderr, "usage: speedometer_preview KMH.txd [MPH.txd] [-o SHEET.png]\n");
    return 2;
}

} // namespace

// Wide arguments, so that paths in any language arrive whole.
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::filesystem::path> dictionaries;
    std::filesystem::path sheet;
    for (int arg = 1; arg < argc; ++arg) {
        if (std::wcscmp(argv[arg], L"-o") == 0) {
            if (++arg == argc || !sheet.empty())
                return usage();
            sheet = argv[arg];
        } else {
            dictionaries.emplace_back(argv[arg]);
        }
    }
    if (dictionaries.empty() || dictionaries.size() > 2)
        return usage();
    preview::preview_request request;
    request.module = module_beside_program();
    request.kmh = dictionaries[0];
    if (dictionaries.size() == 2)
        request.mph = dictionaries[1];
    // By default beside the km/h dictionary: speedometer_carbon_preview.png.
    request.sheet = sheet.empty()
                        ? std::filesystem::path(request.kmh)
                              .replace_filename(request.kmh.stem().wstring() + L"_preview.png")
                        : sheet;
    try {
        return preview::run_preview(request, stdout, stderr);
    } catch (const std::exception& e) {
        skin::print(stderr, "refused: %s\n", e.what());
        return 1;
    }
}
