#pragma once
// The top-level window an event was recorded in: which program's window it was (its identity)
// and, for presses and wheel turns, where in that window's client area the point lay.

#include <cstdint>
#include <string>

// Who a top-level window belongs to, as the recorder saw it. UTF-8 throughout.
struct WindowIdentity {
    std::string exe;          // file name of the process's executable in lower case; empty when unknown
    std::string windowClass;  // the window class name
    std::string title;        // the window text
};

bool operator==(const WindowIdentity& a, const WindowIdentity& b);
bool operator!=(const WindowIdentity& a, const WindowIdentity& b);

// An event's index into its script's window table when it has none.
constexpr int32_t kNoWindow = -1;

// What an event carries of its window. Presses and wheel turns carry all four fields, key
// presses and text steps only the index, every other event none.
struct EventWindow {
    int32_t index = kNoWindow;  // into the script's window table
    int32_t x = 0;              // the point relative to the client area's top-left corner, physical pixels
    int32_t y = 0;
    int32_t dpi = 0;  // the DPI of the monitor the window was on
};

// The DPI values an event's window may carry; anything else is not a DPI.
constexpr int32_t kMinWindowDpi = 24;
constexpr int32_t kMaxWindowDpi = 2400;
