#pragma once
// The line scanner of LorminRecorder.cfg, on raw bytes: the file is read as it is and only the
// UPDATE_URL line is looked at, so no text conversion happens before a line has matched.

#include <string>

// Looks for the first UPDATE_URL line in the whole file content (a UTF-8 byte-order mark at the
// start is allowed). Returns true when a line matched; `value` then holds the value's bytes with
// the blanks and one pair of surrounding double quotes removed, possibly empty. The first
// matching line ends the search even when its value is empty.
bool findUpdateUrlSetting(const std::string& content, std::string& value);
