#pragma once
// The wait before each event of a playback: the recorded delay divided by the speed, except
// where click fidelity keeps the recorded rhythm of clicks, drags and double-clicks.

#include <vector>

#include "script/macro_event.h"

// Seconds to wait before each event, one per event. doubleClickSeconds is the system's
// double-click time; it only matters with clickFidelity. speed must be greater than 0.
std::vector<double> computeScaledDelays(const std::vector<MacroEvent>& events, double speed, bool clickFidelity,
                                        double doubleClickSeconds);

// Which events keep their recorded delay under click fidelity: every wait between a press and
// the release of the same button, and every wait between two presses of one button that lie
// within the double-click time. One entry per event.
std::vector<bool> clickFidelityKeep(const std::vector<MacroEvent>& events, double doubleClickSeconds);
