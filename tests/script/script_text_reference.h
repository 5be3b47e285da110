#pragma once
// The script text's first, tree-based implementation, kept as the reference that the streaming
// loader and the fast writer are checked against (by tests and by a differential fuzz target):
// parseJson builds the whole tree, the loader walks it; every number is written with printf.

#include <string>
#include <vector>

#include "script/macro_event.h"

bool parseScriptTextWithTree(const std::string& text, std::vector<MacroEvent>& events, std::wstring& error);
std::string formatScriptTextWithPrintf(const std::vector<MacroEvent>& events);
std::string formatJsonNumberWithPrintf(double value);

// Every field equal, delays bit for bit.
bool sameEvent(const MacroEvent& a, const MacroEvent& b);
