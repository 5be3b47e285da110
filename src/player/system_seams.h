#pragma once
// The Windows fillers of the player's seams: SetCursorPos, SendInput, MapVirtualKeyW and
// GetAsyncKeyState for the injection, GetDoubleClickTime for click fidelity.

#include "player/input_injection.h"
#include "player/playback_loop.h"

// Injection through the system; the context is unused.
InputSeam systemInputSeam();
// The injection every Player uses: systemInputSeam() unless a test replaced it (to see how a
// playback copes when the system refuses input). Replace it only while no playback runs.
extern InputSeam playbackInputSeam;
// The system's double-click time in seconds (GetDoubleClickTime); the context is unused.
double systemDoubleClickSeconds(void* context);
