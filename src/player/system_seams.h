#pragma once
// The Windows fillers of the player's seams: SetCursorPos, SendInput, MapVirtualKeyW and
// GetAsyncKeyState for the injection; the performance counter, Sleep and the pause hint for the clock.

#include "base/performance_clock.h"
#include "player/input_injection.h"
#include "player/playback_loop.h"

// Injection through the system; the context is unused.
InputSeam systemInputSeam();
// The injection every Player uses: systemInputSeam() unless a test replaced it (to see how a
// playback copes when the system refuses input). Replace it only while no playback runs.
extern InputSeam playbackInputSeam;
// Sets now, sleepMilliseconds, pause and doubleClickSeconds of seams to the system's.
void useSystemClock(PlaybackSeams& seams);
// preciseSleep on the system clock, for the playback thread.
void preciseSleep(double seconds);
