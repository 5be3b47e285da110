#pragma once
// The text of library.json, %APPDATA%\LorminRecorder\library.json:
//
//   {"v": 1, "entries": [
//     {"name": "晨报", "file": "C:\\Scripts\\form.json", "key": "Ctrl+Alt+1", "mode": "toggle",
//      "loops": 1, "endless": false, "speed": 1.0, "fidelity": true, "follow": true,
//      "schedule": {"kind": "daily", "at": "08:00:00", "days": [1, 2, 3, 4, 5]}}]}
//
// "mode" is "toggle" or "held"; "schedule.kind" is "once" ("at": "2026-12-24T08:00:00"), "daily"
// ("at" a time of day, "days" 1 = Monday ... 7 = Sunday, every day when left out) or "every"
// ("minutes" 1 to 1440, optional "from" and "to" times of day). Members left out take their
// defaults; members this version does not know are kept and written back.

#include <string>
#include <vector>

#include "library/library_entry.h"

// The library of a file's text. False (library untouched) when the text is no JSON object or
// its "entries" no array of objects: such a file cannot be used at all. A member of an entry
// that cannot be used takes its default, with one line in problems (UTF-8, for the error log).
bool parseLibrary(const std::string& text, Library& library, std::string& error, std::vector<std::string>& problems);
// The file's text, in the layout above, with CR LF line ends.
std::string formatLibrary(const Library& library);

// Text forms of the times, for the file and the dialog. The readers take "HH:MM" too, and
// return false (value untouched) for anything else.
std::string timeOfDayText(int secondOfDay);  // "08:00:00"
std::string localSecondText(int64_t local);  // "2026-12-24T08:00:00"
bool parseTimeOfDay(const std::string& text, int& secondOfDay);
bool parseLocalSecond(const std::string& text, int64_t& local);
