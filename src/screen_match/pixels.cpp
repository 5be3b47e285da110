#include "screen_match/pixels.h"

#include <cstring>

bool pixelsFromRows(const uint8_t* bytes, size_t size, int32_t width, int32_t height, size_t stride, int32_t maxSide,
                    PixelBuffer& buffer)
{
    if (bytes == nullptr || width < 1 || height < 1 || width > maxSide || height > maxSide) {
        return false;
    }
    const size_t row = static_cast<size_t>(width) * 4;
    // The last row needs only its own pixels, not a whole stride.
    if (stride < row || size < row || (size - row) / stride < static_cast<size_t>(height - 1)) {
        return false;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = bytes + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = from + static_cast<size_t>(x) * 4;
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
        }
    }
    buffer.pixels.swap(pixels);
    buffer.width = width;
    buffer.height = height;
    return true;
}
