#pragma once
// Files that belong to the module sit beside it and carry its name: for
// speedometer.asi, speedometer.ini and speedometer.log.
#include <cstddef>

// The path of the module's file with the given extension (".log", ".ini"),
// beside the module file that holds this code. False when the path does not
// fit or the module's own path cannot be found.
bool path_beside_module(const char* extension, char* path, std::size_t capacity);
