#pragma once
// PNG files of the wait steps' pictures through the system's codecs (WIC): decoded into pixels
// for the search, encoded from a pick of the screen. COM is initialised for the call where the
// thread has none.

#include <string>

#include "screen_match/pixels.h"

// The picture of a PNG file, at most kMaxPictureSide pixels a side; false when the bytes are no
// picture the system can decode, or a larger one.
bool decodePngPicture(const std::string& png, PixelBuffer& pixels);
// A PNG file of the pixels; false when the system cannot make one.
bool encodePngPicture(const PixelView& pixels, std::string& png);
