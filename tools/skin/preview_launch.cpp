#include "preview_launch.hpp"

#include "console.hpp"

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace skin {

#ifdef _WIN32
namespace {

constexpr std::wstring_view mph_suffix = L"_mph";

std::filesystem::path sibling(const std::filesystem::path& dictionary, const std::wstring& stem) {
    return std::filesystem::path(dictionary).replace_filename(stem + L".txd");
}

// The previewer's arguments: the km/h dictionary first, the mph one after.
std::vector<std::filesystem::path> dictionaries_for(const std::filesystem::path& dictionary) {
    const std::wstring stem = dictionary.stem().wstring();
    const bool mph = stem.size() > mph_suffix.size() && stem.ends_with(mph_suffix);
    const auto other = mph ? sibling(dictionary, stem.substr(0, stem.size() - mph_suffix.size()))
                           : sibling(dictionary, stem + std::wstring(mph_suffix));
    if (!std::filesystem::exists(other))
        return {dictionary};
    return mph ? std::vector{other, dictionary} : std::vector{dictionary, other};
}

} // namespace

int launch_preview(const std::filesystem::path& dictionary, bool asked) {
    std::vector<wchar_t> self(MAX_PATH);
    while (GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())) == self.size())
        self.resize(self.size() * 2);
    const auto previewer =
        std::filesystem::path(self.data()).parent_path() / L"speedometer_preview.exe";
    if (!asked && !std::filesystem::exists(previewer)) {
        skin::print(stdout, "note: no preview sheet: speedometer_preview.exe is not beside this "
                            "program\n");
        return 0;
    }
    // Windows paths hold no quotes, so quoting each is enough.
    std::wstring command = L"\"" + previewer.wstring() + L"\"";
    for (const auto& path : dictionaries_for(dictionary))
        command += L" \"" + path.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::fflush(stdout); // its lines come after ours
    if (!CreateProcessW(previewer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        skin::print(stderr,
                    "refused: cannot start speedometer_preview.exe beside this program "
                    "(error %lu)\n",
                    GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
#else
// The previewer is a Windows program; the native packer only packs.
int launch_preview(const std::filesystem::path&, bool asked) {
    if (!asked)
        return 0;
    skin::print(stderr, "refused: --preview needs the Windows packer and its previewer\n");
    return 1;
}
#endif

} // namespace skin
