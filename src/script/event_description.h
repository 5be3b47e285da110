#pragma once
// The one-line texts of the event list.

#include <cstdint>
#include <string>

#include "script/macro_event.h"

// At most 255 UTF-16 units, e.g. "移动 (100,200)" or "按键 [A]".
std::wstring describeEvent(const MacroEvent& event);
// "  #%04u  %s" with index + 1 and describeEvent(event).
std::wstring formatEventRow(uint32_t index, const MacroEvent& event);
