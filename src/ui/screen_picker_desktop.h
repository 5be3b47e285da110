#pragma once
// What the screen picker takes from the desktop and does to it: the virtual screen in physical
// pixels, the owner hidden while picking, the frozen picture of the screen, and the window of
// another program under a point.

#include <cstdint>
#include <vector>
#include <windows.h>

#include "base/win_owners.h"
#include "ui/screen_picker_rules.h"

// The bounds of every monitor together.
PickerRect virtualScreen();

// The picker works in physical pixels whatever the calling thread's DPI awareness: per-monitor
// (v2) for this thread while it runs, where the system has it.
class PerMonitorDpiScope {
public:
    PerMonitorDpiScope();
    ~PerMonitorDpiScope();
    PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
    PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

private:
    HANDLE previous_ = nullptr;
};

// Hides the owner and the windows that own it (a dialog's main window) for the pick, and shows
// them again afterwards with the owner active. The hide goes without the system's animation, and
// the desktop gets a moment to redraw, so that the picture taken next shows what was behind them.
class HiddenOwners {
public:
    explicit HiddenOwners(HWND owner);
    ~HiddenOwners();
    HiddenOwners(const HiddenOwners&) = delete;
    HiddenOwners& operator=(const HiddenOwners&) = delete;

private:
    HWND owner_;
    std::vector<HWND> hidden_;
};

// The picture of the whole virtual screen when the picker came up, 32 bits per pixel, top row first.
class FrozenScreen {
public:
    explicit FrozenScreen(const PickerRect& screen);
    FrozenScreen(const FrozenScreen&) = delete;
    FrozenScreen& operator=(const FrozenScreen&) = delete;
    bool taken() const { return taken_; }
    HDC dc() const { return dc_.get(); }
    // The colour at a screen point as 0xRRGGBB; black outside the picture.
    uint32_t rgbAt(PickerPoint point) const;

private:
    PickerRect screen_;
    void* bits_ = nullptr;
    BitmapHandle bitmap_;
    MemoryDc dc_;
    SelectedObject selected_;
    bool taken_ = false;
};

// The top-level window that the point is on in the real desktop, as a click there would find it:
// the first in the z-order that is shown there and takes clicks. The program's own windows (the
// overlay among them) are passed over. Null when there is none.
HWND topLevelWindowAt(POINT point);
