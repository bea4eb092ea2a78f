#pragma once
// Replaces entries in a loaded module's import address table, so a test or
// the demo can see which system functions the module calls, and in what
// order, or answer for the system (a key held down, say).
#include <windows.h>

#include <string>

// Points the module's import of dll!function at replacement. Returns the
// previous target, or null when the module does not import it.
void* tap_import(HMODULE module, const std::string& dll, const std::string& function,
                 void* replacement);

// Points dll's export of function at replacement, so that modules loaded from
// now on import the replacement; modules loaded before keep what they have.
// Returns the previous target, or null when dll exports no such function.
void* tap_export(HMODULE dll, const std::string& function, void* replacement);

// The same for a function pointer, handing back the previous target as one.
template <class Function>
Function* tap_import(HMODULE module, const std::string& dll, const std::string& function,
                     Function* replacement) {
    return reinterpret_cast<Function*>(
        tap_import(module, dll, function, reinterpret_cast<void*>(replacement)));
}
template <class Function>
Function* tap_export(HMODULE dll, const std::string& function, Function* replacement) {
    return reinterpret_cast<Function*>(
        tap_export(dll, function, reinterpret_cast<void*>(replacement)));
}
