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

// True when the text holds a line that opens the section (any ASCII case,
// the name between '[' and the line's last ']', trimmed and ending at a zero
// byte) and the first such section holds at least one line the system hands
// back: not blank, not a comment, not another section's header, not a line
// without a name or value. The text is the file's bytes as stored: ANSI or
// UTF-8, a byte-order mark skipped or kept as the system is taken to read it,
// or UTF-16 with its mark.
bool section_has_lines(const unsigned char* text, std::size_t size, const wchar_t* section,
                       bool skip_utf8_mark = true);
