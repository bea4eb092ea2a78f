#include "game_folder.hpp"

#include "utf8_path.hpp"

#include <windows.h>

#include <cwchar>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace preview {

namespace {

void copy_into_game(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE))
        return;
    std::error_code ignored;
    if (!std::filesystem::exists(from, ignored))
        throw std::runtime_error(skin::utf8_text(from) +
                                 " is missing: unpack the whole skin kit again, or check the "
                                 "name you gave");
    throw std::runtime_error("cannot copy " + skin::utf8_text(from.filename()) +
                             " into a temporary folder: the disk may be full, or another "
                             "program holds the file; free some space or close it, and try "
                             "again");
}

constexpr std::wstring_view folder_prefix = L"speedometer_preview_";

std::filesystem::path temporary_folder() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error("no temporary folder");
    return folder;
}

// One folder a process, so that previews running side by side keep apart.
std::filesystem::path temporary_root() {
    return temporary_folder() /
           (std::wstring(folder_prefix) + std::to_wstring(GetCurrentProcessId()));
}

bool process_running(DWORD id) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) // no such process; one we may not look at runs
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD status = 0;
    const bool running = GetExitCodeProcess(process, &status) && status == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

// Folders left by previews that were ended before they could clean up
// (killed, or their machine switched off): 3 MB each, never used again.
void remove_folders_of_ended_previews() {
    std::error_code ignored; // a folder that cannot go now goes at a later start
    std::filesystem::directory_iterator entry(temporary_folder(), ignored), end;
    for (; entry != end; entry.increment(ignored)) {
        const std::wstring name = entry->path().filename().wstring();
        if (!name.starts_with(folder_prefix) || name.size() == folder_prefix.size() ||
            name.find_first_not_of(L"0123456789", folder_prefix.size()) != std::wstring::npos)
            continue;
        const DWORD id = std::wcstoul(name.c_str() + folder_prefix.size(), nullptr, 10);
        if (id != GetCurrentProcessId() && !process_running(id))
            std::filesystem::remove_all(entry->path(), ignored);
    }
}

} // namespace

game_folder::game_folder(const std::filesystem::path& module) : root_(temporary_root()) {
    remove_folders_of_ended_previews();
    std::error_code ignored; // a folder left by a run that was cut short
    std::filesystem::remove_all(root_, ignored);
    if (!std::filesystem::create_directories(root_ / "models", ignored))
        throw std::runtime_error("cannot make a temporary folder");
    copy_into_game(module, root_ / "speedometer.asi");
}

void game_folder::stage(const std::optional<std::filesystem::path>& kmh,
                        const std::optional<std::filesystem::path>& mph) const {
    const std::string skin = std::string("speedometer_") + staged_skin;
    const std::filesystem::path faces[] = {root_ / "models" / (skin + ".txd"),
                                           root_ / "models" / (skin + "_mph.txd")};
    const std::optional<std::filesystem::path>* from[] = {&kmh, &mph};
    for (int face = 0; face < 2; ++face) {
        std::error_code ignored; // a face not given is not there
        std::filesystem::remove(faces[face], ignored);
        if (*from[face])
            copy_into_game(**from[face], faces[face]);
    }
}

game_folder::~game_folder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

inside_game_folder::inside_game_folder(const game_folder& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder.root());
}

inside_game_folder::~inside_game_folder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

void game_folder::write_settings(const std::string& lines) const {
    std::ofstream file(root_ / "speedometer.ini", std::ios::binary | std::ios::trunc);
    file << "[speedometer]\nskin = " << staged_skin << "\n" << lines;
    if (!file)
        throw std::runtime_error("cannot write the settings file in a temporary folder");
}

std::string game_folder::module_log() const {
    std::ifstream file(root_ / "speedometer.log", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::filesystem::path game_folder::module() const {
    return root_ / "speedometer.asi";
}

} // namespace preview
