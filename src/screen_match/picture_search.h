#pragma once
// Finding a picture inside a capture of the screen.
//
// The rule: a pixel matches when none of its three channels differs from the picture's by more
// than the tolerance (0..255). The picture is found at a place when
//   - each of its key pixels matches, and
//   - at most 1 in 100 of all its pixels (rounded down: none for a picture of fewer than 100)
//     do not match,
// so a caret, a changed digit or a few pixels of a pointer over it do not hide it. The key pixels
// (at most four) are those of the rarest colours in the picture, spread over it; they are what
// the search looks at first, so that nearly every other place is given up after one or two
// pixels. Of several places the first in reading order (top row first, left to right) is found.
//
// A picture of mostly one colour (at least 9 in 10 of its pixels the same, a flat patch or nearly)
// is searched another way, since its key pixels pass nearly everywhere on a screen of that colour:
// the capture's pixels that match the colour are counted in sliding sums, once each, and only the
// places with enough of them (all the picture's pixels of that colour but the allowed mismatches)
// are compared in full. A place thus costs a few additions, however much of the screen has that
// colour.

#include <cstdint>
#include <vector>

#include "screen_match/pixels.h"
#include "screen_match/screen_area.h"

// The picture's share of pixels that may fail to match: 1 in kMismatchShare.
constexpr int32_t kMismatchShare = 100;

class PictureSearch {
public:
    // The picture is copied; tolerance is brought into 0..255.
    PictureSearch(const PixelView& picture, int32_t tolerance);

    // The place of the picture's top-left corner in the capture (capture coordinates), the first
    // in reading order; false when it is nowhere.
    bool find(const PixelView& capture, ScreenPoint& found) const;
    // Whether the picture lies at the place (inside the capture).
    bool matchesAt(const PixelView& capture, int32_t x, int32_t y) const;

    int32_t width() const { return picture_.width; }
    int32_t height() const { return picture_.height; }
    int32_t allowedMismatches() const { return allowed_; }
    // The key pixels' places in the picture, the first looked at first.
    const std::vector<ScreenPoint>& keys() const { return keys_; }

private:
    bool findMostlyOneColour(const PixelView& capture, ScreenPoint& found) const;

    PixelBuffer picture_;
    uint32_t tolerance_ = 0;
    int32_t allowed_ = 0;
    uint32_t dominant_ = 0;      // the picture's most frequent colour
    int32_t dominantCount_ = 0;  // how many of its pixels have it
    std::vector<ScreenPoint> keys_;
};

// The yardstick: every pixel at every place, by the same rule but without key pixels (a place
// passes when at most allowedMismatches pixels fail). For benchmarks and tests only.
bool findPictureByFullComparison(const PixelView& capture, const PixelView& picture, int32_t tolerance,
                                 ScreenPoint& found);
