#pragma once
// Script files: UTF-8 JSON {"v": 4, "events": [...]}, written strictly, read leniently.

#include <string>
#include <vector>

#include "script/macro_event.h"

// Writes the whole script; on failure fills error (UTF-16) and keeps any previous file intact.
bool saveScript(const std::wstring& path, const std::vector<MacroEvent>& events, std::wstring& error);
// Reads a script; on success replaces events, on failure fills error and leaves events unchanged.
bool loadScript(const std::wstring& path, std::vector<MacroEvent>& events, std::wstring& error);

// The in-memory halves of the two operations (no file access).
std::string formatScriptText(const std::vector<MacroEvent>& events);
bool parseScriptText(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error);

std::string formatJsonNumber(double value);
void appendJsonString(std::string& out, const std::string& bytes);
