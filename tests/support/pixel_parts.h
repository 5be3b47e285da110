#pragma once
// A part of a picture, as the picture searches of the tests and the benchmark look for it.

#include <cstdint>

#include "screen_match/pixels.h"

// The width × height pixels of image from (left, top) on, as a picture of its own.
inline PixelBuffer cutPixels(const PixelBuffer& image, int32_t left, int32_t top, int32_t width, int32_t height)
{
    PixelBuffer part;
    part.width = width;
    part.height = height;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            part.pixels.push_back(image.view().at(left + x, top + y));
        }
    }
    return part;
}
