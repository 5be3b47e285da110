#pragma once
// The fields of the wait step dialogs, free of the platform: numbers and colours as typed, and
// where a picked point lies in its window (what anchors a step to the window like a click).

#include <cstdint>
#include <string>

// A whole number from low to high, with an optional minus sign; spaces around it are ignored.
bool parseWholeNumber(const std::wstring& text, int32_t low, int32_t high, int32_t& value);
// The longest wait: seconds from 0.1 to 3600 as the delay fields take them.
bool parseWaitSeconds(const std::wstring& text, double& seconds);
// A colour typed as "#1E90FF" or "1e90ff".
bool parseColourText(const std::wstring& text, uint32_t& rgb);
// The colour of a pick (COLORREF, 0x00BBGGRR) as a step holds it (0xRRGGBB).
uint32_t rgbOfColorref(uint32_t colorref);
