#pragma once
// What the settings file is like before its values are read: a file the
// profile functions would read slowly, or read without its first section.
#include <cstdint>

// Larger than any settings file a player writes by hand. The profile
// functions parse the whole file for each key, on the game's thread, so a
// file of megabytes would hold the game for seconds.
inline constexpr std::uint64_t largest_settings_file = 64 * 1024;

// False when the file at path is larger than largest_settings_file: it is not
// to be read. The log says so once, and again only after the file was
// seen within the bound. True for a file that
// is missing or whose size cannot be had; reading it says the rest.
bool settings_file_size_allowed(const wchar_t* path);

// Writes one log line, once, when the file starts with a UTF-8 byte-order
// mark followed directly by a section line: Windows' profile functions may
// take the mark as part of the section's name and so miss [speedometer].
void warn_of_mark_before_first_section(const wchar_t* path);

// Lets both warnings be logged again, as at a new load.
void forget_settings_file_warnings_for_testing();
