#include "ui/screen_picker_rules.h"

#include <algorithm>
#include <cstdlib>

#include "base/dpi_scaling.h"

bool operator==(PickerPoint a, PickerPoint b)
{
    return a.x == b.x && a.y == b.y;
}

bool operator==(const PickerRect& a, const PickerRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

PickerRect rectangleOfDrag(PickerPoint press, PickerPoint release)
{
    return PickerRect{std::min(press.x, release.x), std::min(press.y, release.y), std::max(press.x, release.x) + 1,
                      std::max(press.y, release.y) + 1};
}

PickerPoint clampIntoArea(PickerPoint point, const PickerRect& area)
{
    if (area.empty()) {
        return point;
    }
    return PickerPoint{std::clamp(point.x, area.left, area.right - 1), std::clamp(point.y, area.top, area.bottom - 1)};
}

PickerSession::PickerSession(bool rectangles, const PickerRect& screen, int dragDistance, PickerPoint pointer)
    : rectangles_(rectangles), screen_(screen), dragDistance_(std::max(1, dragDistance)), pointer_(pointer),
      press_(pointer)
{}

bool PickerSession::moved(PickerPoint pointer, uint64_t nowMs)
{
    if (keyMovePending_) {
        if (nowMs < keyMoveUntil_) {
            return false;
        }
        keyMovePending_ = false;
    }
    if (pointer == pointer_) {
        return false;
    }
    pointer_ = pointer;
    return true;
}

void PickerSession::pressed(PickerPoint pointer)
{
    keyMovePending_ = false;
    pointer_ = pointer;
    press_ = pointer;
    held_ = true;
}

bool PickerSession::dragging() const
{
    return held_ && rectangles_ &&
           (std::abs(pointer_.x - press_.x) >= dragDistance_ || std::abs(pointer_.y - press_.y) >= dragDistance_);
}

PickerSession::Outcome PickerSession::released(PickerPoint pointer)
{
    if (!held_) {
        // The release of a press made before the picker came up.
        return Outcome::Going;
    }
    keyMovePending_ = false;
    pointer_ = pointer;
    if (dragging()) {
        held_ = false;
        pickedRectangle_ = true;
        pickedPoint_ = press_;
        pickedArea_ = dragRectangle();
        return Outcome::Picked;
    }
    held_ = false;
    return pickPoint(rectangles_ ? press_ : pointer);
}

PickerSession::Outcome PickerSession::key(PickerKey key, bool fast, uint64_t nowMs)
{
    const int step = fast ? 10 : 1;
    switch (key) {
    case PickerKey::Left: pointer_.x -= step; break;
    case PickerKey::Right: pointer_.x += step; break;
    case PickerKey::Up: pointer_.y -= step; break;
    case PickerKey::Down: pointer_.y += step; break;
    case PickerKey::Enter: return held_ ? Outcome::Going : pickPoint(pointer_);
    case PickerKey::Escape: return Outcome::Cancelled;
    }
    pointer_ = clampIntoArea(pointer_, screen_);
    keyMovePending_ = true;
    keyMoveUntil_ = nowMs + kKeyMoveMs;
    return Outcome::Going;
}

PickerSession::Outcome PickerSession::pickPoint(PickerPoint point)
{
    pickedRectangle_ = false;
    pickedPoint_ = point;
    pickedArea_ = PickerRect{point.x, point.y, point.x + 1, point.y + 1};
    return Outcome::Picked;
}

MagnifierMetrics magnifierMetrics(int dpi, int labelHeight)
{
    MagnifierMetrics metrics;
    metrics.cell = std::max(2, scaleForDpi(8, dpi));
    metrics.border = std::max(1, scaleForDpi(1, dpi));
    metrics.gap = scaleForDpi(20, dpi);
    metrics.labelHeight = std::max(0, labelHeight);
    return metrics;
}

namespace {

// The start of a box of the given size beside the pointer: after it when it fits before the
// monitor's end, else before it, and then inside the monitor if the monitor is big enough.
int placeBeside(int pointer, int size, int gap, int monitorStart, int monitorEnd)
{
    int start = pointer + gap;
    if (start + size > monitorEnd) {
        start = pointer - gap - size;
    }
    return std::max(monitorStart, std::min(start, monitorEnd - size));
}

}  // namespace

MagnifierLayout layoutMagnifier(PickerPoint pointer, const PickerRect& monitor, const PickerRect& screen,
                                const MagnifierMetrics& metrics)
{
    const int side = metrics.pixels * metrics.cell;
    const int width = side + 2 * metrics.border;
    const int height = side + metrics.labelHeight + 2 * metrics.border;
    MagnifierLayout layout;
    const int left = placeBeside(pointer.x, width, metrics.gap, monitor.left, monitor.right);
    const int top = placeBeside(pointer.y, height, metrics.gap, monitor.top, monitor.bottom);
    layout.box = PickerRect{left, top, left + width, top + height};
    layout.picture = PickerRect{left + metrics.border, top + metrics.border, left + metrics.border + side,
                                top + metrics.border + side};
    layout.label = PickerRect{layout.picture.left, layout.picture.bottom, layout.picture.right,
                              layout.picture.bottom + metrics.labelHeight};

    const int half = metrics.pixels / 2;
    const PickerRect wanted{pointer.x - half, pointer.y - half, pointer.x - half + metrics.pixels,
                            pointer.y - half + metrics.pixels};
    PickerRect source{std::max(wanted.left, screen.left), std::max(wanted.top, screen.top),
                      std::min(wanted.right, screen.right), std::min(wanted.bottom, screen.bottom)};
    if (source.empty()) {
        source = PickerRect{};
    }
    layout.source = source;
    layout.sourceAt = PickerPoint{layout.picture.left + (source.left - wanted.left) * metrics.cell,
                                  layout.picture.top + (source.top - wanted.top) * metrics.cell};
    const int centreLeft = layout.picture.left + half * metrics.cell;
    const int centreTop = layout.picture.top + half * metrics.cell;
    layout.centre = PickerRect{centreLeft, centreTop, centreLeft + metrics.cell, centreTop + metrics.cell};
    layout.cell = metrics.cell;
    return layout;
}

std::wstring colourHexText(uint32_t rgb)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text = L"#";
    for (int shift = 20; shift >= 0; shift -= 4) {
        text += digits[(rgb >> shift) & 0xF];
    }
    return text;
}

std::wstring pickerLabelText(PickerPoint pointer, uint32_t rgb, const PickerRect* drag)
{
    std::wstring text =
        L"(" + std::to_wstring(pointer.x) + L", " + std::to_wstring(pointer.y) + L")\n" + colourHexText(rgb);
    if (drag != nullptr) {
        text += L"\n" + std::to_wstring(drag->width()) + L"\u00D7" + std::to_wstring(drag->height());
    }
    return text;
}
