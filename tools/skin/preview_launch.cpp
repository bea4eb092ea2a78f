#include "preview_launch.hpp"

#include "console.hpp"
#include "utf8_path.hpp"

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <conio.h>
#endif

namespace skin {

std::vector<std::string> watch_arguments(const packer_command& command) {
    std::vector<std::string> arguments;
    if (command.request.uncompressed)
        arguments.push_back("--32bit");
    arguments.push_back("--watch");
    arguments.push_back(command.request.png_path);
    return arguments;
}

#ifdef _WIN32
namespace {

int run_previewer(const std::vector<std::string>& arguments, bool asked) {
    std::vector<wchar_t> self(MAX_PATH);
    while (GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())) == self.size())
        self.resize(self.size() * 2);
    const auto previewer =
        std::filesystem::path(self.data()).parent_path() / L"speedometer_preview.exe";
    if (!asked && !std::filesystem::exists(previewer)) {
        print(stdout, "note: no preview sheet: speedometer_preview.exe is not beside this "
                      "program\n");
        return 0;
    }
    // Windows paths hold no quotes, so quoting each is enough.
    std::wstring command = L"\"" + previewer.wstring() + L"\"";
    for (const std::string& argument : arguments)
        command += L" \"" + utf8_path(argument).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::fflush(stdout); // its lines come after ours
    if (!CreateProcessW(previewer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        print(stderr, "refused: cannot start speedometer_preview.exe beside this program: "
                      "unpack the whole skin kit again, keeping both programs in one folder\n");
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

} // namespace

int launch_preview(const std::string& png, const std::vector<std::string>& dictionaries,
                   bool asked) {
    // Given one face, the previewer finds the other beside it by its name.
    std::vector<std::string> arguments = {"--packed-from", png};
    arguments.insert(arguments.end(), dictionaries.begin(), dictionaries.end());
    return run_previewer(arguments, asked);
}

int launch_watch(const packer_command& command) {
    return run_previewer(watch_arguments(command), true);
}

bool offer_watch(const std::string& png) {
    print(stdout,
          "Press W to keep watching %s: each save packs it and draws the sheet again.\n"
          "Press any other key to close this window.\n",
          png.c_str());
    const int key = _getch();
    return key == 'w' || key == 'W';
}
#else
// The previewer is a Windows program; the native packer only packs.
int launch_preview(const std::string&, const std::vector<std::string>&, bool asked) {
    if (!asked)
        return 0;
    print(stderr, "refused: --preview needs the Windows packer and its previewer\n");
    return 1;
}

int launch_watch(const packer_command&) {
    print(stderr, "refused: --watch needs the Windows packer and its previewer\n");
    return 1;
}

bool offer_watch(const std::string&) {
    return false;
}
#endif

} // namespace skin
