#pragma once
// The packer's window on Windows: its arguments as the user typed or dropped
// them, in any script, and its messages in UTF-8.
#include <string>
#include <vector>

namespace skin {

// The arguments after the program's name, in UTF-8: on Windows read wide
// from the command line, since the narrow argv has already lost whatever the
// ANSI code page cannot hold.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// While it lives, the console shows the UTF-8 this program prints; then it
// gets back the code page it had (it is shared with the command prompt).
// Output to a file or a pipe is UTF-8 either way.
class utf8_console {
  public:
    utf8_console();
    ~utf8_console();
    utf8_console(const utf8_console&) = delete;
    utf8_console& operator=(const utf8_console&) = delete;

  private:
    unsigned previous_code_page_ = 0;
};

// True when the console window is this program's alone, as when Explorer
// started it for a double click or a dropped file: it closes as the program
// ends, so the messages would be gone before they are read.
bool console_closes_with_program();
// Asks for a key and waits for it.
void wait_for_key();

} // namespace skin
