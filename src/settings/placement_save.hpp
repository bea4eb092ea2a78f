#pragma once
// The layout mode's save: the gauge's size and place written into the
// settings file, with every other byte of the file kept (placement_lines.hpp),
// by a replacement of the whole file (file_replacement.hpp).

enum class placement_saved {
    saved,     // in the file, and in force
    refused,   // and the log says why, in one line
    held_open, // another program holds the file: try again later
};

// Writes scale, offset_x and offset_y into the settings file. Refused when
// the file changed since the module last read it whole (by its stamp, or by
// what it reads as), before the new file is written or until it is moved
// over the old one; when it is read-only, a folder, in UTF-16 big-endian,
// larger than a settings file may be or would be so with the new lines, or
// cannot be written whole (a full disk, a folder that cannot be written);
// and when the new file would not read back as the old one's settings with
// the three new values. The old file then stays as it was. A file held open by another
// program gives held_open, and on the last try is refused. A file that is
// not there is made.
placement_saved save_placement(float scale, float offset_x, float offset_y, bool last_try);

// The shortest decimal that the settings file's read turns into scale, which
// is within the allowed range. text holds at least 16 characters.
void scale_text(float scale, char* text);
