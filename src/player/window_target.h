#pragma once
// Which window of the desktop a followed event goes to, and whether input for it reaches it: the
// choice among the windows of the recorded program, the check of a click's point, the check of
// the window in front for a key. Free of the platform: the desktop comes in through DesktopSeam
// (Windows fills it in window_finder_win, tests fake a desktop).

#include <cstdint>
#include <string>
#include <vector>

#include "player/window_seam.h"
#include "screen_match/screen_area.h"
#include "script/event_window.h"

// Whether a window of the given executable name and class may stand for the recorded one: the
// same class and the same executable name whatever its letter case (A to Z), or any executable
// when the recorded one is empty.
bool sameProgram(const WindowIdentity& wanted, const std::string& exe, const std::string& windowClass);

// What keeps the input from its window, as the status line, the console and the log name it.
const wchar_t* windowProblemText(WindowProblem problem);

// Whether the point lies in the rectangle (right and bottom exclusive).
bool rectHolds(const ScreenRect& rect, int32_t x, int32_t y);

// A top-level window of the wanted program as the desktop shows it now.
struct WindowCandidate {
    std::string title;
    bool minimised = false;
    WindowPlace place;  // its client area's origin and monitor DPI (meaningless while minimised)
    ScreenRect frame;   // the whole window on the screen
};

// Which candidate to use (candidates topmost first), by these preferences in turn: the recorded
// title; shown rather than minimised; the client area where it was when the event was recorded
// (recorded null: unknown); the topmost. When the preferred one is minimised, none is used and
// that one is to be restored. -1 where there is none.
struct WindowChoice {
    int32_t use = -1;
    int32_t restore = -1;
};
WindowChoice chooseWindow(const WindowIdentity& wanted, const std::vector<WindowCandidate>& candidates,
                          const WindowOrigin* recorded = nullptr);

// The desktop as the rules ask about it; a window is a number that stands for its handle (0: none).
struct DesktopSeam {
    void* context = nullptr;
    // The visible top-level windows of a class, topmost first.
    void (*topWindows)(void* context, const std::string& windowClass, std::vector<uintptr_t>& windows) = nullptr;
    // The executable name (lower case, "" when unknown) and class of a window; false when it is gone.
    bool (*programOf)(void* context, uintptr_t window, std::string& exe, std::string& windowClass) = nullptr;
    // Its title, minimised state, place and frame; false when it is gone.
    bool (*stateOf)(void* context, uintptr_t window, WindowCandidate& state) = nullptr;
    // The top-level window of the foreground window.
    uintptr_t (*foreground)(void* context) = nullptr;
    // The top-level window of the window at a screen point (WindowFromPoint); 0 when none.
    uintptr_t (*topLevelAt)(void* context, int32_t x, int32_t y) = nullptr;
    // Whether the point lies on a monitor.
    bool (*onMonitor)(void* context, int32_t x, int32_t y) = nullptr;
    // Whether the window's program takes its messages now.
    bool (*responding)(void* context, uintptr_t window) = nullptr;
    // Asks a minimised window to restore; never waits for it.
    void (*restore)(void* context, uintptr_t window) = nullptr;
    // Asks for the window to come to the front, as far as the system allows it.
    void (*bringToFront)(void* context, uintptr_t window) = nullptr;
};

// The windows that stand for the entries of a script's window table during one playback.
class WindowTargets {
public:
    WindowTargets(const std::vector<WindowIdentity>& table, const DesktopSeam& desktop);

    // Chooses the entry's window anew (see chooseWindow): None with its place filled, Hung when
    // it does not respond, Minimised while the chosen one is asked to restore, or Missing.
    WindowProblem look(int32_t index, const WindowOrigin* recorded, WindowPlace& place);
    // Whether a click at the screen point reaches the window the entry's last look chose: None
    // when the point is on a monitor, inside that window and it or one of its children is there,
    // and the window responds. A window covered at the point is asked to come to the front
    // (once until a check succeeds), so that a later check may find it there.
    WindowProblem checkPoint(int32_t index, int32_t x, int32_t y);
    // For a key: None when the foreground window is of the entry's program with its title and
    // responds; else Hung, NotInFront (such a window is there, not in front) or Missing.
    WindowProblem checkFront(int32_t index);

private:
    struct Found {
        uintptr_t window = 0;
        WindowCandidate state;
    };
    bool candidatesOf(const WindowIdentity& wanted, std::vector<uintptr_t>& windows,
                      std::vector<WindowCandidate>& candidates);

    const std::vector<WindowIdentity>& table_;
    DesktopSeam desktop_;
    std::vector<Found> chosen_;          // per entry: the window its last look chose
    std::vector<uintptr_t> restoring_;   // per entry: the minimised window asked to restore
    std::vector<uintptr_t> frontAsked_;  // per entry: the window asked to come to the front
};
