#pragma once
// The texts of the library dialog's list: one row per entry (name, file, key, mode, schedule, next
// run), in UTF-16.

#include <cstdint>
#include <optional>
#include <string>

#include "library/library_entry.h"

struct LibraryRow {
    std::wstring name;
    std::wstring file;
    std::wstring key;       // "Ctrl+Alt+1", or empty
    std::wstring mode;      // "按一次开始/停止" or "按住时回放"
    std::wstring schedule;  // "每天 08:00:00", "每周一、三 08:00:00", "每 15 分钟（22:00:00–02:00:00）", ...
    std::wstring nextRun;  // "2026-12-24 08:00:00", or empty
};

// nextRun: the local second of the entry's next run, none when it has none.
LibraryRow libraryRow(const LibraryEntry& entry, std::optional<int64_t> nextRun);
std::wstring scheduleText(const Schedule& schedule);
