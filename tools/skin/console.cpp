#include "console.hpp"

#include <cstdarg>
#include <cstdio>

#ifdef _WIN32
// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <conio.h>
#include <io.h>
#include <shellapi.h>
#endif

namespace skin {

std::string formatted_text(const char* format, va_list arguments) {
    std::string text;
    va_list measuring;
    va_copy(measuring, arguments);
    const int size = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size) + 1);
        std::vsnprintf(text.data(), text.size(), format, arguments);
        text.pop_back(); // the terminating zero, which the console would show
    }
    return text;
}

std::string formatted(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = formatted_text(format, arguments);
    va_end(arguments);
    return text;
}

#ifdef _WIN32

namespace {

std::string to_utf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.pop_back(); // the terminating zero
    return text;
}

} // namespace

std::vector<std::string> utf8_arguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(to_utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

void print(std::FILE* stream, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        std::vfprintf(stream, format, arguments);
        va_end(arguments);
        return;
    }
    const std::string text = formatted_text(format, arguments);
    va_end(arguments);
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    std::fflush(stream); // anything printed before comes first
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

bool console_closes_with_program() {
    DWORD processes[2];
    DWORD mode = 0;
    // Only when a key can be read: never when input comes from a file or pipe.
    return GetConsoleProcessList(processes, 2) == 1 &&
           GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
}

void wait_for_key() {
    print(stdout, "Press any key to close this window.\n");
    _getch();
}

#else

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void print(std::FILE* stream, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stream, format, arguments);
    va_end(arguments);
}

bool console_closes_with_program() {
    return false;
}

void wait_for_key() {}

#endif

} // namespace skin
