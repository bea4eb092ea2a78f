#pragma once
// The file's own text, looked at the way the system's profile functions
// parse it: when a section read comes back empty, this tells an empty
// section (or none) from a read that another program cut short by holding
// the file shut just then.
#include <cstddef>

// True when the text holds a line that opens the section (any ASCII case,
// the name between '[' and the line's last ']') and the first such section
// holds at least one line the system would hand back: not blank, not a
// comment, not another section's header. The text is the file's bytes as
// stored: ANSI or UTF-8 (with a byte-order mark, only lines that stand in the
// section whether the mark is skipped or not), or UTF-16 with its mark.
bool section_has_lines(const unsigned char* text, std::size_t size, const wchar_t* section);
