#pragma once
// How the notification-area icon looks and what its menu offers, as plain functions of the
// window's facts: the icon is fed from the same state as the window, so the two never disagree.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/window_state.h"

enum class TrayState { Idle, Recording, Playing, Paused };

enum class TrayCommand {
    Record,
    StopRecording,
    Play,
    Pause,
    Resume,
    StopPlayback,
    Library,
    ShowWindow,
    Exit,
    Separator
};

struct TrayMenuItem {
    TrayCommand command = TrayCommand::Separator;
    const wchar_t* text = L"";
    bool enabled = false;
};

// How far a playback has come (the player's progress, read by the window).
struct TrayProgress {
    int pass = 0;
    int limit = 0;
    unsigned step = 0;
    unsigned steps = 0;
};

struct TrayLook {
    TrayState state = TrayState::Idle;
    std::wstring tooltip;  // at most kTrayTooltipLength characters
    std::vector<TrayMenuItem> menu;
};

// The system keeps 127 characters of a tooltip and a terminating zero.
constexpr size_t kTrayTooltipLength = 127;

// The icon's state, tooltip (the status line, and while playing the pass and step on a second
// line) and menu. unattended: the icon of a --play run, whose menu only pauses, resumes and stops.
TrayLook deriveTrayLook(const WindowFacts& facts, const std::wstring& status, const TrayProgress& progress,
                        bool unattended);

// Whether the icon shown must be changed now: a new state at once, a new tooltip at most every
// kTrayTooltipIntervalMs (the window looks again at that pace while a playback runs).
constexpr uint64_t kTrayTooltipIntervalMs = 250;
bool isTrayUpdateDue(const TrayLook& shown, const TrayLook& wanted, uint64_t lastUpdateMs, uint64_t nowMs);

// The picture of a state at size x size pixels, drawn for that size (so it is crisp at every
// screen scale): 0xAARRGGBB values, rows from the top, straight (not premultiplied) alpha. A
// rounded tile in the state's colour with its sign: a play triangle (idle: the program's dark
// blue; playing: green), a dot (recording: red) or two bars (paused: yellow).
std::vector<uint32_t> drawTrayIcon(TrayState state, int size);
