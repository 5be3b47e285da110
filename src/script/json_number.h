#pragma once
// The numbers of script files: a number run read as atof reads it, and a value written as
// "%.4f" writes it with trailing zeros (and a bare full stop) removed. Both without a C library
// call in the common cases: they run once per number of a script that may hold millions.

#include <cstdint>

// The value atof gives for a run of number bytes (an optional sign, then digits, full stops,
// e, E, + and -): the longest leading decimal number, 0.0 when there is none. The run need not
// be followed by a zero byte.
double numberRunValue(const char* begin, const char* end);

// Room that writeJsonNumber may need: "%.4f" of the largest double is 316 bytes long.
constexpr int kJsonNumberRoom = 320;

// Writes the script file's text of a number at out and returns the end of it. The text is
// "%.4f" with trailing zeros and a trailing full stop removed, and "0" for a text that would be
// empty or "-0": 0.25, 2, -3, 0.1235 for 0.123456.
char* writeJsonNumber(char* out, double value);
// The same text for a whole number (at most 11 bytes).
char* writeJsonInteger(char* out, int32_t value);
