#pragma once
// The one-line texts of the event list.

#include <cstdint>
#include <string>
#include <vector>

#include "script/event_window.h"
#include "script/macro_event.h"

// At most 255 UTF-16 units, e.g. "移动 (100,200)" or "按键 [A]". windows: the script's window
// table, which names the window of a window wait ("等待 窗口 「记事本」 出现").
std::wstring describeEvent(const MacroEvent& event, const std::vector<WindowIdentity>* windows = nullptr);
// "  #%04u  %s" with index + 1 and describeEvent(event, windows).
std::wstring formatEventRow(uint32_t index, const MacroEvent& event,
                            const std::vector<WindowIdentity>* windows = nullptr);
// What a wait step waits for, its row without the leading "等待 " ("颜色 #1E90FF @ (640, 400)").
std::wstring waitedForText(const MacroEvent& event, const std::vector<WindowIdentity>& windows);
