#include "sheet_caption.hpp"

#include "utf8_path.hpp"

#include <windows.h>

#include <cstdio>

namespace preview {

namespace {

// The file's last write in the skin maker's local time.
std::string saved_at(const std::filesystem::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &time))
        return "time unknown";
    char text[40];
    std::snprintf(text, sizeof text, "saved %04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::string face_line(const char* face, const std::optional<std::filesystem::path>& file) {
    if (!file)
        return std::string(face) + " face: none, so the game shows the shipped one";
    return std::string(face) + " face: " + skin::utf8_text(file->filename()) + ", " +
           saved_at(*file);
}

} // namespace

std::vector<std::string> sheet_caption(const skin_dictionaries& skin,
                                       const std::string& module_version) {
    const std::string what = skin.skin.empty() ? "the shipped artwork" : "skin = " + skin.skin;
    return {what + ", drawn by speedometer.asi " +
                (module_version.empty() ? std::string("(no version)") : module_version),
            face_line("km/h", skin.kmh), face_line("mph", skin.mph)};
}

} // namespace preview
