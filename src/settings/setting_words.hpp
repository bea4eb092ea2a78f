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

// A plain decimal as written: digits, an optional point and more digits ("1",
// "0.75", ".5", "0001.5"). A general float reader would also take exponents,
// hexadecimal, "inf" and "nan", which no player means, and would bring its own
// conversion code into the module.
struct plain_decimal {
    const char* whole; // the digits before the point, leading zeros skipped
    const char* whole_end;
    const char* fraction; // the digits after it
    const char* fraction_end;
};

// True when the value is within lowest_tenths / 10 and highest_units, decided
// on its digits: a float would round 2.00000001 to 2 and let it in. Out of
// range is a typo, not a wish for the nearest value. lowest_tenths is 1 to 9,
// highest_units 1 to 9.
bool read_plain_decimal(const char* value, int lowest_tenths, int highest_units,
                        plain_decimal& decimal);
