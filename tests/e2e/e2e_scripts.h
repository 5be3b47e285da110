#pragma once
// Scripts the whole-program checks write for the program to open or play: steps made by hand,
// saved to a file in a folder of the outputs.

#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "script/script_file.h"

inline MacroEvent keyStep(EventKind kind, const char* key, double delay)
{
    MacroEvent event;
    event.kind = kind;
    event.keyOrText = key;
    event.delay = delay;
    return event;
}

inline MacroEvent moveStep(POINT at, double delay)
{
    MacroEvent event;
    event.kind = EventKind::Move;
    event.x = at.x;
    event.y = at.y;
    event.delay = delay;
    return event;
}

inline MacroEvent pressStep(POINT at, bool down, double delay)
{
    MacroEvent event = moveStep(at, delay);
    event.kind = EventKind::Click;
    event.pressed = down;
    return event;
}

// The script saved as name in the outputs' folder folder (with a window table when windows are
// given); its path.
inline std::wstring writeScriptIn(const std::wstring& folder, const std::wstring& name,
                                  const std::vector<MacroEvent>& events,
                                  const std::vector<WindowIdentity>& windows = {})
{
    const std::wstring path = folderFor(folder) + L"\\" + name;
    std::wstring error;
    const bool saved = windows.empty() ? saveScript(path, events, error) : saveScript(path, events, windows, error);
    EXPECT_TRUE(saved) << wideToUtf8(error);
    return path;
}
