#pragma once
// The script library: named entries, each a script file with the way it plays, an optional key
// chord and an optional schedule. Plain data; the file, the due-time rules and the key rules
// live beside it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recorder/hotkey_chord.h"
#include "script/json_reader.h"

// How an entry's key runs it: one press starts and the next stops, or it plays while held.
enum class KeyMode { Toggle, Held };

enum class ScheduleKind { None, Once, Daily, Every };

constexpr int kSecondsPerDay = 86400;
// Every weekday: bit 0 is Monday ... bit 6 Sunday.
constexpr uint8_t kAllWeekdays = 0x7F;
constexpr int kMinEveryMinutes = 1;
constexpr int kMaxEveryMinutes = 1440;

// Times are local civil time: a "local second" counts seconds from 1970-01-01 00:00:00 of the
// local calendar (no time zone in it); a time of day is seconds after midnight.
struct Schedule {
    ScheduleKind kind = ScheduleKind::None;
    int64_t onceAt = 0;           // Once: the local second
    int at = 0;                   // Daily: the time of day
    uint8_t days = kAllWeekdays;  // Daily: the weekdays it runs on
    int minutes = 60;             // Every: the step
    bool window = false;          // Every: only between from and to (to before from crosses midnight)
    int from = 0;
    int to = 0;
    std::vector<JsonMember> unknown;  // members this version does not know, kept on rewrite
};

struct LibraryEntry {
    std::string name;  // UTF-8
    std::string file;  // UTF-8 path of the script
    HotkeyChord key;   // empty: none
    KeyMode mode = KeyMode::Toggle;
    int loops = 1;  // 1 to 999
    bool endless = false;
    double speed = 1.0;  // 0.1 to 10
    bool fidelity = true;
    std::optional<bool> follow;  // none: as the settings say
    Schedule schedule;
    std::vector<JsonMember> unknown;
};

struct Library {
    std::vector<LibraryEntry> entries;
    std::vector<JsonMember> unknown;  // members of the file's top object beside "v" and "entries"
};
