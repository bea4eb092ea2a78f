#pragma once
// The gauge's size and place written into the player's settings file, with
// every other byte of it kept: comments, other sections, blank lines, order,
// encoding and line ends. Bytes in, bytes out; no file is touched here.
#include <cstddef>

// The three values as they are to stand in the file, in ASCII.
struct placement_texts {
    const char* scale;
    const char* offset_x;
    const char* offset_y;
    // True when a value the file holds (key 0 to 2: scale, offset_x,
    // offset_y) already reads as the new one: "1.0" stays "1.0". Null: every
    // value is written.
    bool (*already_written)(int key, const char* value) = nullptr;
};

// Writes the file's bytes into out with the first scale, offset_x and
// offset_y lines of the first [speedometer] section carrying the new values,
// found as the system's profile functions find them. A key the section lacks
// gets a line after the section's last line that is not blank; a file without
// the section gets it at its end. Added lines end as the file's first line
// does (CR LF in a file without one). Text in UTF-16LE (with its mark) gets
// UTF-16LE lines; ANSI and UTF-8, with or without the mark, get ASCII ones.
// The size written, or 0 when out is too small or the file is UTF-16 in
// big-endian order, which the profile functions do not read.
std::size_t with_placement_lines(const unsigned char* file, std::size_t size,
                                 const placement_texts& values, unsigned char* out,
                                 std::size_t capacity);
