// The picture search against the plain comparison of every pixel at every place, its rule of
// tolerance and mismatches, and the arithmetic of search areas.
#include "screen_match/picture_search.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "screen_match/pixels.h"
#include "screen_match/screen_area.h"
#include "support/pixel_parts.h"

namespace {

// A small desktop: a flat background, a darker panel, lines of "text" and a noisy patch.
PixelBuffer desktop(int32_t width, int32_t height, uint32_t seed)
{
    PixelBuffer image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, 0xF0F0F0);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t& p = image.pixels[static_cast<size_t>(y) * width + x];
            if (x > width / 2 && y > height / 3) {
                p = 0x2B579A;
            }
            seed = seed * 1664525u + 1013904223u;
            if (y % 12 < 8 && x % 50 < 40 && (seed >> 28) < 5) {
                p = (seed >> 8) & 0xFFFFFF;
            }
        }
    }
    return image;
}

bool search(const PixelBuffer& capture, const PixelBuffer& picture, int32_t tolerance, ScreenPoint& found)
{
    return PictureSearch(picture.view(), tolerance).find(capture.view(), found);
}

}  // namespace

TEST(ScreenMatch, PixelsMatchWhenNoChannelDiffersByMoreThanTheTolerance)
{
    const struct {
        uint32_t a, b, tolerance;
        bool within;
    } cases[] = {
        {0x102030, 0x102030, 0, true},     {0x102030, 0x102031, 0, false},  {0x102030, 0x203040, 16, true},
        {0x102030, 0x213040, 16, false},   {0x000000, 0xFFFFFF, 255, true}, {0x00FF00, 0x00EF00, 16, true},
        {0xFF000000, 0x00000000, 0, true},  // the unused byte does not count
        {0x0000FF, 0x000000, 254, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pixelsWithin(c.a, c.b, c.tolerance), c.within) << std::hex << c.a << " " << c.b;
        EXPECT_EQ(pixelsWithin(c.b, c.a, c.tolerance), c.within);
    }
}

TEST(ScreenMatch, PicturesCutFromTheCaptureAreFoundWhereTheFullComparisonFindsThem)
{
    const PixelBuffer capture = desktop(120, 80, 7);
    const struct {
        int32_t left, top, width, height;
    } cases[] = {{0, 0, 24, 24}, {96, 56, 24, 24}, {50, 30, 24, 24}, {10, 60, 1, 1}, {40, 5, 80, 12}, {70, 40, 20, 30}};
    for (const auto& c : cases) {
        const PixelBuffer picture = cutPixels(capture, c.left, c.top, c.width, c.height);
        ScreenPoint fast{-1, -1};
        ScreenPoint full{-2, -2};
        ASSERT_TRUE(search(capture, picture, 0, fast)) << c.left << "," << c.top;
        ASSERT_TRUE(findPictureByFullComparison(capture.view(), picture.view(), 0, full));
        EXPECT_EQ(fast.x, full.x) << c.left << "," << c.top;
        EXPECT_EQ(fast.y, full.y) << c.left << "," << c.top;
    }
}

TEST(ScreenMatch, ToleranceAndTheShareOfMismatchesDecide)
{
    const PixelBuffer capture = desktop(300, 200, 11);
    const PixelBuffer original = cutPixels(capture, 120, 40, 40, 30);  // 1200 pixels: 12 may fail
    ASSERT_EQ(PictureSearch(original.view(), 0).allowedMismatches(), 12);
    const struct {
        int32_t brighten;  // added to every channel of every picture pixel (clamped at 255)
        int32_t spoiled;   // pixels of the place (not key pixels) turned into a far colour
        int32_t tolerance;
        bool found;
    } cases[] = {{0, 0, 0, true},   {0, 12, 0, true},  {0, 13, 0, false},
                 {10, 0, 10, true}, {10, 0, 9, false}, {5, 12, 5, true}};
    for (const auto& c : cases) {
        PixelBuffer picture = original;
        for (uint32_t& p : picture.pixels) {
            uint32_t out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int32_t v = static_cast<int32_t>(p >> shift & 0xFF) + c.brighten;
                out |= static_cast<uint32_t>(v > 255 ? 255 : v) << shift;
            }
            p = out;
        }
        const PictureSearch searched(picture.view(), c.tolerance);
        const auto isKey = [&](int32_t x, int32_t y) {
            for (const ScreenPoint& key : searched.keys()) {
                if (key.x == x && key.y == y) {
                    return true;
                }
            }
            return false;
        };
        // A caret or a pointer over the place: capture pixels (never key pixels) far from the picture's.
        PixelBuffer screen = capture;
        int32_t spoiled = 0;
        for (int32_t i = 0; spoiled < c.spoiled; i += 37) {
            const int32_t x = i % picture.width;
            const int32_t y = (i / picture.width) % picture.height;
            if (!isKey(x, y)) {
                screen.pixels[static_cast<size_t>(40 + y) * screen.width + 120 + x] ^= 0x808080;
                ++spoiled;
            }
        }
        ScreenPoint found;
        const bool any = searched.find(screen.view(), found);
        // Pixels that were already 255 do not brighten: with a tolerance the place still matches.
        EXPECT_EQ(any && found.x == 120 && found.y == 40, c.found)
            << "brighten " << c.brighten << " spoiled " << c.spoiled << " tol " << c.tolerance;
    }
}

TEST(ScreenMatch, OneColourPicturesAndTheFirstOfSeveralPlaces)
{
    PixelBuffer capture = desktop(300, 200, 3);
    PixelBuffer flat;
    // The panel is flat only in the four rows of each twelve that the noise leaves alone.
    flat.width = 20;
    flat.height = 4;
    flat.pixels.assign(80, 0x2B579A);
    ScreenPoint found;
    ASSERT_TRUE(search(capture, flat, 0, found));
    ScreenPoint full;
    ASSERT_TRUE(findPictureByFullComparison(capture.view(), flat.view(), 0, full));
    EXPECT_EQ(found.x, full.x);
    EXPECT_EQ(found.y, full.y);
    // A colour that is nowhere, and a picture larger than the capture.
    flat.pixels.assign(80, 0x123456);
    EXPECT_FALSE(search(capture, flat, 0, found));
    EXPECT_FALSE(search(cutPixels(capture, 0, 0, 10, 10), cutPixels(capture, 0, 0, 11, 5), 255, found));
    // Two copies: the one on the upper row wins, then the left one.
    const PixelBuffer mark = cutPixels(capture, 5, 5, 8, 8);
    for (const ScreenPoint at : {ScreenPoint{250, 150}, ScreenPoint{100, 150}}) {
        for (int32_t y = 0; y < 8; ++y) {
            for (int32_t x = 0; x < 8; ++x) {
                capture.pixels[static_cast<size_t>(at.y + y) * 300 + at.x + x] = mark.view().at(x, y);
            }
        }
    }
    capture.pixels[5 * 300 + 5] ^= 0xFFFFFF;  // the original no longer matches
    ASSERT_TRUE(search(capture, mark, 0, found));
    EXPECT_EQ(found.x, 100);
    EXPECT_EQ(found.y, 150);
}

TEST(ScreenMatch, AreasAreClippedScaledAndKeptInRange)
{
    const ScreenRect screen{-1920, 0, 1920, 1080};
    const struct {
        ScreenRect a, b, both;
    } clips[] = {
        {{0, 0, 100, 100}, screen, {0, 0, 100, 100}},
        {{-2000, -10, -1900, 50}, screen, {-1920, 0, -1900, 50}},
        {{1920, 0, 2000, 10}, screen, {}},
        {rectAt(INT32_MAX - 5, INT32_MIN, INT64_MAX, 10), screen, {}},
    };
    for (const auto& c : clips) {
        EXPECT_TRUE(intersection(c.a, c.b) == c.both) << c.a.left << "," << c.a.top;
    }
    EXPECT_TRUE(rectAt(INT32_MAX - 5, 0, 100, -4) == (ScreenRect{INT32_MAX - 5, 0, INT32_MAX, 0}));
    const struct {
        int64_t value;
        int32_t now, recorded;
        int64_t scaled;
    } scales[] = {
        {100, 144, 96, 150}, {-3, 144, 96, -5}, {7, 96, 96, 7}, {7, 10, 96, 7}, {INT32_MAX, 2400, 24, 214748364700}};
    for (const auto& s : scales) {
        EXPECT_EQ(scaleDistance(s.value, s.now, s.recorded), s.scaled) << s.value;
    }
    const struct {
        ScreenRect area;
        int32_t width, height;
        ScreenRect places;
    } fits[] = {
        {{0, 0, 1920, 1080}, 48, 48, {0, 0, 1873, 1033}},
        {{10, 10, 20, 20}, 10, 10, {10, 10, 11, 11}},
        {{10, 10, 20, 20}, 11, 1, {}},
        {{}, 1, 1, {}},
    };
    for (const auto& f : fits) {
        EXPECT_TRUE(picturePlaces(f.area, f.width, f.height) == f.places) << f.width;
    }
    EXPECT_EQ(pointInPicture({INT32_MAX - 1, -4}, 5, 2).x, INT32_MAX);
    EXPECT_EQ(pointInPicture({INT32_MAX - 1, -4}, 5, 2).y, -2);
}

TEST(ScreenMatch, DecodedRowsAreTakenOnlyWhenTheirSizesFit)
{
    const std::vector<uint8_t> bytes(64, 0x7F);
    const struct {
        size_t size;
        int32_t width, height;
        size_t stride;
        bool taken;
    } cases[] = {
        {64, 4, 4, 16, true},      {60, 2, 4, 16, true},  // the last row needs only its own pixels
        {55, 2, 4, 16, false},     {64, 4, 4, 12, false}, {64, 0, 4, 16, false},
        {64, 300, 1, 1200, false}, {7, 2, 1, 8, false},
    };
    for (const auto& c : cases) {
        PixelBuffer buffer;
        buffer.width = -1;
        EXPECT_EQ(pixelsFromRows(bytes.data(), c.size, c.width, c.height, c.stride, 256, buffer), c.taken)
            << c.size << " " << c.width << "x" << c.height << " " << c.stride;
        EXPECT_EQ(buffer.width, c.taken ? c.width : -1);
        if (c.taken) {
            EXPECT_EQ(buffer.pixels.front(), 0x7F7F7Fu);
        }
    }
}
