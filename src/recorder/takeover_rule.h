#pragma once
// When the user takes a playback over: during a playback, real (not injected) mouse movement
// more than 8 pixels away from where the playback last placed the cursor, or a real press of
// any mouse button. Keys do not count: only the stop key stops a playback from the keyboard.

#include <cstdint>

#include "base/playback_pointer.h"

constexpr int32_t kTakeoverDistance = 8;  // pixels

// One mouse notification of the hook (its message, point and flags).
bool isUserTakeover(uint32_t message, int32_t x, int32_t y, uint32_t flags, const PlaybackPointer::Places& places);
