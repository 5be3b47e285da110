#pragma once
// The desktop as a playback that follows windows sees it: where a window is, what keeps input from
// reaching it, and the seam through which the playback looks for windows (Windows fills it, tests
// fake a desktop).

#include <cstdint>

// Where a window is now: its client area's top-left corner on the screen and its monitor's DPI.
struct WindowPlace {
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t dpi = 96;
};

// Where a window's client area was when an event was recorded (screen pixels).
struct WindowOrigin {
    int32_t x = 0;
    int32_t y = 0;
};

// What keeps the input of a followed event from its window; None: nothing, it may be sent.
enum class WindowProblem : uint32_t {
    None = 0,
    Missing,        // no window of the recorded program is there
    Minimised,      // the chosen window is minimised and has not come back yet
    Hung,           // the window's program does not take its messages
    Covered,        // another window is over the click's point
    OutsideWindow,  // the click's point lies outside the window (it is smaller now)
    OffScreen,      // the click's point is on no monitor
    NotInFront,     // a key's window is there but another one is in front
};

// The desktop, as the playback sees it. Windows fills it from WindowTargets (window_target.h),
// tests with a fake desktop; index is the window's entry in the script's window table.
struct WindowSeam {
    void* context = nullptr;
    // Chooses the entry's window; None with place filled when there is one and it responds.
    // recorded: where the window was when the event was recorded (null: unknown).
    WindowProblem (*look)(void* context, int32_t index, const WindowOrigin* recorded, WindowPlace& place) = nullptr;
    // Before a press or wheel turn at a screen point: None when the point belongs to the window the
    // entry's last look chose (or a child of it) and nothing keeps the input from it.
    WindowProblem (*checkPoint)(void* context, int32_t index, int32_t x, int32_t y) = nullptr;
    // Before a key press or text step: None when a window of the entry's program and title is the
    // foreground window and responds.
    WindowProblem (*checkFront)(void* context, int32_t index) = nullptr;
    // The status of a wait: called with the index when a wait begins, kNoWindow when it ends.
    void (*waiting)(void* context, int32_t index) = nullptr;
    // A wait that ran out, with what kept the input from the window at its end; the playback then
    // ends with WindowMissing.
    void (*gaveUp)(void* context, int32_t index, WindowProblem problem) = nullptr;
};
