#pragma once
// Script files: UTF-8 JSON {"v": 4, "events": [...]}, written strictly, read leniently.

#include <cstdint>
#include <string>
#include <vector>

#include "script/event_window.h"
#include "script/macro_event.h"

// Tells how far a load has come, on the loading thread: done of total units of work, where
// every step over the text (reading the file, checking the text, converting its events) counts
// the text's size in bytes. Called at most a few hundred times per load, with done growing and
// total the same in every call; a load that succeeds ends with a call where done == total. A
// null report is never called.
struct LoadProgress {
    void (*report)(void* context, uint64_t done, uint64_t total) = nullptr;
    void* context = nullptr;
};

// Writes the whole script; on failure fills error (UTF-16) and keeps any previous file intact.
// With a window table, the windows the events use follow the events (unused entries are left
// out); a script whose events use none is written exactly as without one.
bool saveScript(const std::wstring& path, const std::vector<MacroEvent>& events, std::wstring& error);
bool saveScript(const std::wstring& path, const std::vector<MacroEvent>& events,
                const std::vector<WindowIdentity>& windows, std::wstring& error);
// Reads a script; on success replaces events, on failure fills error and leaves events unchanged.
// Holds the file's bytes and the events, and little else, whatever the file holds.
bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error);
bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error,
                const LoadProgress& progress);
// The same, also reading the window table into windows. Without a windows argument the events
// come without window information (and without window waits, which need it).
bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::vector<WindowIdentity>& windows,
                std::wstring& error, const LoadProgress& progress);

// The in-memory halves of the two operations (no file access).
std::string formatScriptText(const std::vector<MacroEvent>& events);
std::string formatScriptText(const std::vector<MacroEvent>& events, const std::vector<WindowIdentity>& windows);
bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error);
bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error,
                     const LoadProgress& progress);
// An event whose window index is not an entry of the table, or whose window members are
// malformed, comes without window information; so does every event of a table entry that is not
// an object of three strings "exe", "class" and "title".
bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::vector<WindowIdentity>& windows,
                     std::wstring& error, const LoadProgress& progress);

std::string formatJsonNumber(double value);
void appendJsonString(std::string& out, const std::string& bytes);
