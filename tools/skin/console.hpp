#pragma once
// The packer's window on Windows: its arguments as the user typed or dropped
// them, in any script, and its messages in UTF-8.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace skin {

// The arguments after the program's name, in UTF-8: on Windows read wide
// from the command line, since the narrow argv has already lost whatever the
// ANSI code page cannot hold.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// printf to `stream` of UTF-8 text: to a file or a pipe as it is; to a
// console window on Windows as wide characters, which shows every script
// whatever the console's code page (the C library's own printing passes
// bytes through the code page, and Wine's mangles UTF-8 even under 65001).
void print(std::FILE* stream, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// printf's text as a string, as print writes it to a console window.
std::string formatted_text(const char* format, va_list arguments);
std::string formatted(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// True when the console window is this program's alone, as when Explorer
// started it for a double click or a dropped file: it closes as the program
// ends, so the messages would be gone before they are read.
bool console_closes_with_program();
// Asks for a key and waits for it.
void wait_for_key();

} // namespace skin
