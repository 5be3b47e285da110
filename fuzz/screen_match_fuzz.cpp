// The wait steps' arithmetic and decoding: search areas and picture places stay inside their
// rectangles and the 32-bit range; base64 decodes only what it encodes back the same; decoded
// rows are taken only when they fit; and on small pictures (where no pixel may fail) the search
// finds exactly what the comparison of every pixel at every place finds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "screen_match/picture_search.h"
#include "screen_match/pixels.h"
#include "screen_match/screen_area.h"
#include "script/screen_wait.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;

    int32_t next32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | nextByte();
        }
        return static_cast<int32_t>(value);
    }
    uint8_t nextByte()
    {
        if (size == 0) {
            return 0;
        }
        --size;
        return *data++;
    }
};

void check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

void areas(Input in)
{
    const ScreenRect a = rectAt(in.next32(), in.next32(), in.next32(), in.next32());
    const ScreenRect b{in.next32(), in.next32(), in.next32(), in.next32()};
    const ScreenRect both = intersection(a, b);
    check(both.empty() || (both.left >= a.left && both.left >= b.left && both.right <= a.right &&
                           both.right <= b.right && both.top >= a.top && both.bottom <= b.bottom));
    check(!a.empty() || a.width() == 0);
    const int32_t w = in.next32() % 300;
    const int32_t h = in.next32() % 300;
    const ScreenRect places = picturePlaces(b, w, h);
    if (!places.empty()) {
        check(static_cast<int64_t>(places.right) - 1 + w <= b.right &&
              static_cast<int64_t>(places.bottom) - 1 + h <= b.bottom);
        check(places.left == b.left && places.top == b.top);
    }
    scaleDistance(in.next32(), in.next32(), in.next32());
    pointInPicture(ScreenPoint{in.next32(), in.next32()}, in.next32(), in.next32());
}

void base64(Input in)
{
    const char* text = reinterpret_cast<const char*>(in.data);
    std::string bytes;
    if (decodeBase64(text, in.size, bytes)) {
        check(encodeBase64(bytes) == std::string(text, in.size));
        int32_t width = 0;
        int32_t height = 0;
        if (pngPictureSize(bytes, width, height)) {
            check(width >= 1 && width <= kMaxPictureSide && height >= 1 && height <= kMaxPictureSide);
        }
    }
}

void rows(Input in)
{
    const int32_t width = in.nextByte() % 20 - 1;
    const int32_t height = in.nextByte() % 20 - 1;
    const size_t stride = in.nextByte();
    PixelBuffer buffer;
    if (pixelsFromRows(in.data, in.size, width, height, stride, 16, buffer)) {
        check(buffer.pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height));
        check(static_cast<size_t>(height - 1) * stride + static_cast<size_t>(width) * 4 <= in.size);
    }
}

void search(Input in)
{
    // Few colours, so that pictures are often found (and often nearly found).
    const uint32_t palette[4] = {0xF0F0F0, 0xF4F0EE, 0x2B579A, 0x000000};
    PixelBuffer capture;
    capture.width = in.nextByte() % 16 + 1;
    capture.height = in.nextByte() % 16 + 1;
    PixelBuffer picture;
    picture.width = in.nextByte() % 9 + 1;
    picture.height = in.nextByte() % 9 + 1;
    const int32_t tolerance = in.nextByte() % 8;
    for (PixelBuffer* buffer : {&capture, &picture}) {
        for (int32_t i = 0; i < buffer->width * buffer->height; ++i) {
            buffer->pixels.push_back(palette[in.nextByte() % 4]);
        }
    }
    ScreenPoint fast{-1, -1};
    ScreenPoint full{-1, -1};
    const bool foundFast = PictureSearch(picture.view(), tolerance).find(capture.view(), fast);
    const bool foundFull = findPictureByFullComparison(capture.view(), picture.view(), tolerance, full);
    check(foundFast == foundFull && fast.x == full.x && fast.y == full.y);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    Input in{data + 1, size - 1};
    switch (data[0] % 4) {
    case 0: areas(in); break;
    case 1: base64(in); break;
    case 2: rows(in); break;
    default: search(in); break;
    }
    return 0;
}
