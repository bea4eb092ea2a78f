#pragma once
// Files that belong to the module sit beside it and carry its name: for
// speedometer.asi, speedometer.ini and speedometer.log. Paths are wide, so a
// game folder named in any language is found whatever the system's ANSI code
// page can spell.
#include <cstddef>

// The full path of the module file that holds this code. False when it does
// not fit or cannot be found.
bool module_path(wchar_t* path, std::size_t capacity);

// The path of the module's file with the given extension (L".log", L".ini"),
// beside the module file that holds this code. False when the path does not
// fit or the module's own path cannot be found.
bool path_beside_module(const wchar_t* extension, wchar_t* path, std::size_t capacity);

// The text in UTF-8, as the log holds it, cut to fit (at a whole character)
// and always terminated.
void to_utf8(const wchar_t* text, char* utf8, std::size_t capacity);
