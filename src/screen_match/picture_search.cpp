#include "screen_match/picture_search.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t kMostKeys = 4;

// The colour's bucket when each channel keeps its top four bits.
uint32_t bucketOf(uint32_t pixel)
{
    return (pixel >> 4 & 0xF) | (pixel >> 8 & 0xF0) | (pixel >> 12 & 0xF00);
}

PixelBuffer copyOf(const PixelView& view)
{
    PixelBuffer buffer;
    if (view.pixels == nullptr || view.width < 1 || view.height < 1) {
        return buffer;
    }
    buffer.width = view.width;
    buffer.height = view.height;
    buffer.pixels.reserve(static_cast<size_t>(view.width) * static_cast<size_t>(view.height));
    for (int32_t y = 0; y < view.height; ++y) {
        for (int32_t x = 0; x < view.width; ++x) {
            buffer.pixels.push_back(view.at(x, y));
        }
    }
    return buffer;
}

// The key pixels: the rarest colours first; each next one of another colour than those chosen,
// or far from them, so that one flat patch of the screen does not pass them all.
std::vector<ScreenPoint> chooseKeys(const PixelBuffer& picture)
{
    std::vector<ScreenPoint> keys;
    if (picture.pixels.empty()) {
        return keys;
    }
    std::vector<uint32_t> counts(4096, 0);
    for (uint32_t pixel : picture.pixels) {
        ++counts[bucketOf(pixel)];
    }
    std::vector<uint32_t> order(picture.pixels.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<uint32_t>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return counts[bucketOf(picture.pixels[a])] < counts[bucketOf(picture.pixels[b])];
    });
    const int32_t apart = std::max(picture.width, picture.height) / 4;
    for (uint32_t index : order) {
        const ScreenPoint point{static_cast<int32_t>(index % static_cast<uint32_t>(picture.width)),
                                static_cast<int32_t>(index / static_cast<uint32_t>(picture.width))};
        bool distinct = true;
        for (const ScreenPoint& key : keys) {
            const uint32_t keyPixel = picture.pixels[static_cast<size_t>(key.y) * picture.width + key.x];
            const bool sameColour = bucketOf(keyPixel) == bucketOf(picture.pixels[index]);
            const bool close = std::abs(key.x - point.x) < apart && std::abs(key.y - point.y) < apart;
            if ((sameColour && close) || (key.x == point.x && key.y == point.y)) {
                distinct = false;
                break;
            }
        }
        if (distinct) {
            keys.push_back(point);
            if (keys.size() == kMostKeys) {
                break;
            }
        }
    }
    return keys;
}

}  // namespace

PictureSearch::PictureSearch(const PixelView& picture, int32_t tolerance)
    : picture_(copyOf(picture)),
      tolerance_(static_cast<uint32_t>(tolerance < 0 ? 0 : (tolerance > 255 ? 255 : tolerance))),
      allowed_(static_cast<int32_t>(picture_.pixels.size() / kMismatchShare)), keys_(chooseKeys(picture_))
{
    std::vector<uint32_t> sorted = picture_.pixels;
    std::sort(sorted.begin(), sorted.end());
    for (size_t run = 0; run < sorted.size();) {
        size_t end = run;
        while (end < sorted.size() && sorted[end] == sorted[run]) {
            ++end;
        }
        if (static_cast<int32_t>(end - run) > dominantCount_) {
            dominantCount_ = static_cast<int32_t>(end - run);
            dominant_ = sorted[run];
        }
        run = end;
    }
}

bool PictureSearch::matchesAt(const PixelView& capture, int32_t x, int32_t y) const
{
    if (picture_.pixels.empty() || x < 0 || y < 0 || capture.width - x < picture_.width ||
        capture.height - y < picture_.height) {
        return false;
    }
    for (const ScreenPoint& key : keys_) {
        if (!pixelsWithin(capture.at(x + key.x, y + key.y),
                          picture_.pixels[static_cast<size_t>(key.y) * picture_.width + key.x], tolerance_)) {
            return false;
        }
    }
    int32_t mismatches = 0;
    const uint32_t* want = picture_.pixels.data();
    for (int32_t row = 0; row < picture_.height; ++row) {
        const uint32_t* have = capture.pixels + static_cast<size_t>(y + row) * capture.stride + x;
        for (int32_t column = 0; column < picture_.width; ++column) {
            if (!pixelsWithin(have[column], want[column], tolerance_) && ++mismatches > allowed_) {
                return false;
            }
        }
        want += picture_.width;
    }
    return true;
}

bool PictureSearch::find(const PixelView& capture, ScreenPoint& found) const
{
    if (picture_.pixels.empty() || capture.pixels == nullptr || capture.width < picture_.width ||
        capture.height < picture_.height) {
        return false;
    }
    if (static_cast<size_t>(dominantCount_) * 10 >= picture_.pixels.size() * 9) {
        return findMostlyOneColour(capture, found);
    }
    const ScreenPoint first = keys_.front();
    const uint32_t colour = picture_.pixels[static_cast<size_t>(first.y) * picture_.width + first.x];
    const int32_t lastX = capture.width - picture_.width;
    const int32_t lastY = capture.height - picture_.height;
    for (int32_t y = 0; y <= lastY; ++y) {
        const uint32_t* row = capture.pixels + static_cast<size_t>(y + first.y) * capture.stride + first.x;
        for (int32_t x = 0; x <= lastX; ++x) {
            // Nearly every place ends here, after one pixel.
            if (pixelsWithin(row[x], colour, tolerance_) && matchesAt(capture, x, y)) {
                found = ScreenPoint{x, y};
                return true;
            }
        }
    }
    return false;
}

bool PictureSearch::findMostlyOneColour(const PixelView& capture, ScreenPoint& found) const
{
    const uint32_t colour = dominant_;
    const int32_t w = picture_.width;
    const int32_t h = picture_.height;
    // At the picture's place, each of its pixels of that colour matches it but the mismatches.
    const int32_t needed = dominantCount_ - allowed_;
    // columns[x]: how many of the pixels in rows y .. y + h - 1 of column x match the colour.
    std::vector<int32_t> columns(static_cast<size_t>(capture.width), 0);
    const auto addRow = [&](int32_t y, int32_t step) {
        const uint32_t* row = capture.pixels + static_cast<size_t>(y) * capture.stride;
        for (int32_t x = 0; x < capture.width; ++x) {
            columns[static_cast<size_t>(x)] += pixelsWithin(row[x], colour, tolerance_) ? step : 0;
        }
    };
    for (int32_t y = 0; y < h; ++y) {
        addRow(y, 1);
    }
    for (int32_t y = 0;; ++y) {
        int32_t sum = 0;
        for (int32_t x = 0; x < w; ++x) {
            sum += columns[static_cast<size_t>(x)];
        }
        for (int32_t x = 0;; ++x) {
            if (sum >= needed && matchesAt(capture, x, y)) {
                found = ScreenPoint{x, y};
                return true;
            }
            if (x + w >= capture.width) {
                break;
            }
            sum += columns[static_cast<size_t>(x + w)] - columns[static_cast<size_t>(x)];
        }
        if (y + h >= capture.height) {
            return false;
        }
        addRow(y + h, 1);
        addRow(y, -1);
    }
}

bool findPictureByFullComparison(const PixelView& capture, const PixelView& picture, int32_t tolerance,
                                 ScreenPoint& found)
{
    if (picture.width < 1 || picture.height < 1 || capture.width < picture.width || capture.height < picture.height) {
        return false;
    }
    const uint32_t tol = static_cast<uint32_t>(tolerance < 0 ? 0 : (tolerance > 255 ? 255 : tolerance));
    const int64_t allowed = static_cast<int64_t>(picture.width) * picture.height / kMismatchShare;
    for (int32_t y = 0; y + picture.height <= capture.height; ++y) {
        for (int32_t x = 0; x + picture.width <= capture.width; ++x) {
            int64_t mismatches = 0;
            for (int32_t row = 0; row < picture.height; ++row) {
                for (int32_t column = 0; column < picture.width; ++column) {
                    mismatches += pixelsWithin(capture.at(x + column, y + row), picture.at(column, row), tol) ? 0 : 1;
                }
            }
            if (mismatches <= allowed) {
                found = ScreenPoint{x, y};
                return true;
            }
        }
    }
    return false;
}
