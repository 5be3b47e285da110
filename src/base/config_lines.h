#pragma once
// The line format of the program's configuration files (LorminRecorder.cfg beside the program,
// settings.cfg per user), read on raw bytes: a UTF-8 byte-order mark at the start is allowed, lines
// end in LF or CR LF, one KEY=VALUE a line, keys in any letter case, blanks around the key, the
// "=" and the value ignored, one pair of double quotes around the value removed, lines starting
// with "#" or ";" are comments, and the first line that sets a key counts, even with an empty value.

#include <string>

enum class KeyMatch {
    Exact,  // the key, then blanks, then "="
    Prefix  // the key, then anything up to the first "=" (LorminRecorder.cfg has always read so)
};

// The value of the first line that sets key (upper-case ASCII); false when no line does.
bool findConfigValue(const std::string& content, const char* key, KeyMatch match, std::string& value);
