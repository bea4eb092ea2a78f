#include "console.hpp"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <conio.h>
#include <shellapi.h>
#endif

namespace skin {

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

utf8_console::utf8_console() {
    previous_code_page_ = GetConsoleOutputCP(); // 0 without a console
    if (previous_code_page_ != 0 && previous_code_page_ != CP_UTF8)
        SetConsoleOutputCP(CP_UTF8);
}

utf8_console::~utf8_console() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (previous_code_page_ != 0 && previous_code_page_ != CP_UTF8)
        SetConsoleOutputCP(previous_code_page_);
}

bool console_closes_with_program() {
    DWORD processes[2];
    DWORD mode = 0;
    // Only when a key can be read: never when input comes from a file or pipe.
    return GetConsoleProcessList(processes, 2) == 1 &&
           GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
}

void wait_for_key() {
    std::fputs("Press any key to close this window.\n", stdout);
    std::fflush(stdout);
    _getch();
}

#else

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

utf8_console::utf8_console() = default;
utf8_console::~utf8_console() = default;

bool console_closes_with_program() {
    return false;
}

void wait_for_key() {}

#endif

} // namespace skin
