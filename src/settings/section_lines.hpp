#pragma once
// The file's own text, looked at the way the system's profile functions
// parse it: when a section read comes back empty, this tells an empty
// section (or none) from a read that another program cut short by holding
// the file shut just then.
#include <cstddef>

// True when the text starts with a UTF-8 byte-order mark. Whether the
// system's profile functions skip it or take it as the first line's start
// differs from one Windows to another.
bool starts_with_utf8_mark(const unsigned char* text, std::size_t size);

// What the file's own text holds in the section, read as the system parses
// it. Unknown when the parser cannot read the text as the system does: an
// empty read of such a file is never to be taken as complete.
enum class section_lines { none, some, unknown };

// Some when the text holds a line that opens the section (any ASCII case,
// the name between '[' and the line's last ']', trimmed and ending at a zero
// byte) and the first such section holds at least one line the system hands
// back: not blank, not a comment, not another section's header, not a line
// without a name or value. The text is the file's bytes as stored: ANSI in
// the code page given (0: the system's), UTF-8 with its byte-order mark
// skipped or kept as the system is taken to read it, or UTF-16 of either
// byte order with its mark.
section_lines lines_in_section(const unsigned char* text, std::size_t size, const wchar_t* section,
                               bool skip_utf8_mark = true, unsigned ansi_code_page = 0);
