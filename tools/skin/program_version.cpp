#include "program_version.hpp"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace skin {

#ifdef _WIN32
std::string program_version(const char* release) {
    std::vector<wchar_t> self(MAX_PATH);
    while (GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())) == self.size())
        self.resize(self.size() * 2);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(self.data(), &ignored);
    std::vector<char> info(size);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(self.data(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                        reinterpret_cast<void**>(&text), &length) ||
        length <= 1)
        return release;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string version(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, version.data(), bytes, nullptr, nullptr);
    version.pop_back(); // the terminating zero
    return version;
}
#else
std::string program_version(const char* release) {
    return release;
}
#endif

} // namespace skin
