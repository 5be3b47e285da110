#pragma once
// Design units at 96 DPI and points, scaled to a window's DPI the way the system scales them.

// MulDiv(value, dpi, 96): rounded to nearest, halves away from zero.
int scaleForDpi(int value, int dpi);
// lfHeight of a font of the given point size: -MulDiv(points, dpi, 72).
int fontHeightForDpi(int points, int dpi);
// A usable DPI: values outside 72..480 (an unreadable or absurd setting) count as 96.
int saneDpi(int dpi);
