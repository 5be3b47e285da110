#pragma once
// The program's one way to make a font: a face at a point size and weight for a window's DPI.

#include <windows.h>

#include "base/win_owners.h"

// The program's text face ("Microsoft YaHei") and its size in points.
extern const wchar_t kTextFace[];
constexpr int kTextPoints = 9;

FontHandle makeFont(const wchar_t* face, int points, LONG weight, int dpi);
