#pragma once
// The schtasks /create command line of an entry with a schedule, for runs while the program is
// not running: the task starts the program with --play and the entry's choices. Daily times map
// to /sc daily, chosen weekdays to /sc weekly /d, every N minutes to /sc minute /mo N (from
// midnight) or, within a window, to /sc daily /ri N /du with the window's length; once to /sc
// once with the date as yyyy/mm/dd (the Chinese system's date order).

#include <string>

#include "library/library_entry.h"

// Empty for an entry without a schedule. exe and the texts are UTF-8.
std::string schtasksLine(const LibraryEntry& entry, const std::string& exe);
