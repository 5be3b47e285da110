#pragma once
// The speed and loop-count fields: how their texts are read, shown and stepped by the arrows.

#include <string>

// Prefix-parsed number of at most 31 characters; not a positive number gives 1.0; clamped to 0.1..10.
double parseSpeedText(const std::wstring& text);
// Prefix-parsed integer of at most 15 characters, clamped to 1..999 (nothing parsed gives 1).
int parseLoopCountText(const std::wstring& text);

// "%.1f" of a speed, the form the field shows.
std::wstring formatSpeedText(double speed);
// The up-down position of a speed: tenths, rounded.
int speedSpinPosition(double speed);

// One arrow step: the new position in tenths (1..100) and in passes (1..999).
int stepSpeedPosition(double currentSpeed, int delta);
int stepLoopCount(int currentCount, int delta);
