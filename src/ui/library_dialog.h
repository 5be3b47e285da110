#pragma once
// The script library dialog ("脚本库"): a report list of the entries (name, file, key, mode,
// schedule, next run) with 添加..., 编辑..., 删除, 立即运行, 导出为计划任务... and 关闭, and the
// entry dialog with every field of an entry. Native, usable with the keyboard alone, sized in
// dialog units of its font, so it follows the screen scale.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

#include "library/key_clash.h"
#include "library/library_entry.h"

// Control ids of the two dialogs.
constexpr int kLibraryList = 201;
constexpr int kLibraryAdd = 202;
constexpr int kLibraryEdit = 203;
constexpr int kLibraryDelete = 204;
constexpr int kLibraryRunNow = 205;
constexpr int kLibraryExport = 206;
constexpr int kEntryName = 301;
constexpr int kEntryFile = 302;
constexpr int kEntryBrowse = 303;
constexpr int kEntryKey = 304;
constexpr int kEntryToggle = 305;
constexpr int kEntryHeld = 306;
constexpr int kEntryLoops = 307;
constexpr int kEntryEndless = 308;
constexpr int kEntrySpeed = 309;
constexpr int kEntryFidelity = 310;
constexpr int kEntryFollow = 311;
constexpr int kEntrySchedule = 312;
constexpr int kEntryAt = 313;
constexpr int kEntryFirstDay = 314;  // seven boxes, Monday to Sunday
constexpr int kEntryMinutes = 321;
constexpr int kEntryWindow = 322;
constexpr int kEntryFrom = 323;
constexpr int kEntryTo = 324;
constexpr int kEntryError = 325;

struct LibraryDialogCalls {
    std::vector<OwnKey> ownKeys;  // the program's hotkeys, which no entry may take
    // Writes the library; false with a text for the dialog when it could not.
    std::function<bool(const Library& library, std::wstring& error)> save;
    // After each saved change: the window puts the new library to work.
    std::function<void(const Library& library)> changed;
    std::function<void(size_t entry)> runNow;
    // The local second of an entry's next run.
    std::function<std::optional<int64_t>(size_t entry)> nextRun;
    std::function<void(bool paused)> pauseHotkeys;  // while the entry dialog captures a key
};

// Runs the dialog modally over owner; every change is saved at once (a failed save is told and
// undone in the dialog).
void runLibraryDialog(HWND owner, const Library& current, const LibraryDialogCalls& calls);

// The entry dialog alone: true with entry changed when OK closed it. self is the entry's place in
// entries (entries.size() for a new one), for the key clash check.
bool runEntryDialog(HWND owner, LibraryEntry& entry, size_t self, const std::vector<LibraryEntry>& entries,
                    const LibraryDialogCalls& calls);
