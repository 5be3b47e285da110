#pragma once
// Pixels as the screen and the picture decoder hand them over: rows of 32-bit pixels in memory
// order blue, green, red, unused (0x00RRGGBB read as a little-endian word), and the match of
// two pixels within a tolerance per channel.

#include <cstddef>
#include <cstdint>
#include <vector>

// A view of rows of pixels owned elsewhere; stride is the distance between rows in pixels.
struct PixelView {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;

    uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * stride + x] & 0xFFFFFFu; }
};

// Pixels of its own (a decoded picture, a capture), rows back to back.
struct PixelBuffer {
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;

    PixelView view() const { return PixelView{pixels.data(), width, height, width}; }
};

// The colour of a pixel as 0xRRGGBB.
inline uint32_t pixelColour(uint32_t pixel)
{
    return pixel & 0xFFFFFFu;
}

// Whether no channel of the two pixels differs by more than tolerance (0..255).
inline bool pixelsWithin(uint32_t a, uint32_t b, uint32_t tolerance)
{
    const auto channelWithin = [tolerance](uint32_t x, uint32_t y) {
        return static_cast<uint32_t>(static_cast<int32_t>(x & 0xFF) - static_cast<int32_t>(y & 0xFF) +
                                     static_cast<int32_t>(tolerance)) <= 2 * tolerance;
    };
    return channelWithin(a, b) && channelWithin(a >> 8, b >> 8) && channelWithin(a >> 16, b >> 16);
}

// Copies decoded rows (top row first, stride bytes apart, 4 bytes a pixel in the order above)
// into buffer. False, with buffer untouched, when the sizes do not fit: width or height below 1
// or above maxSide, a stride shorter than a row, or fewer bytes than the rows need.
bool pixelsFromRows(const uint8_t* bytes, size_t size, int32_t width, int32_t height, size_t stride, int32_t maxSide,
                    PixelBuffer& buffer);
