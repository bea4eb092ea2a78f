#pragma once
// The words and numbers a player writes in the settings file, read by the
// rules the player readme states and nothing more: letters compared as
// ASCII in either case, numbers as plain decimal digits.

// True when a and b are the same once ASCII letters are folded to one case.
// No other character is folded or ignored, whatever the system's language.
bool equals_ignoring_ascii_case(const char* a, const char* b);

// A whole number written in decimal digits only, any leading zeros allowed,
// from 0 to largest. False for anything else, the number left alone.
bool parse_whole_number(const char* value, int largest, int& number);
