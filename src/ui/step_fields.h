#pragma once
// Reading the editor dialogs' number fields (platform-free).

#include <cstdint>
#include <string>

// The whole number of a field's text: blanks around it, an optional minus sign (also the
// full-width one), digits (also full-width), within the 32-bit range. False for anything else.
bool parseWholeNumber(const std::wstring& text, int32_t& value);
