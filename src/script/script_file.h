#pragma once
// Script files: UTF-8 JSON {"v": 4, "events": [...]}, written strictly, read leniently.

#include <cstdint>
#include <string>
#include <vector>

#include "script/macro_event.h"

// Tells how far a load has come, on the loading thread: done of total units of work, where
// every step over the text (reading the file, checking the text, converting its events) counts
// the text's size in bytes. Called at most a few hundred times per load, with done growing to
// total; the last call has done == total. A null report is never called.
struct LoadProgress {
    void (*report)(void* context, uint64_t done, uint64_t total) = nullptr;
    void* context = nullptr;
};

// Writes the whole script; on failure fills error (UTF-16) and keeps any previous file intact.
bool saveScript(const std::wstring& path, const std::vector<MacroEvent>& events, std::wstring& error);
// Reads a script; on success replaces events, on failure fills error and leaves events unchanged.
// Holds the file's bytes and the events, and little else, whatever the file holds.
bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error);
bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error,
                const LoadProgress& progress);

// The in-memory halves of the two operations (no file access).
std::string formatScriptText(const std::vector<MacroEvent>& events);
bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error);
bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error,
                     const LoadProgress& progress);

std::string formatJsonNumber(double value);
void appendJsonString(std::string& out, const std::string& bytes);
