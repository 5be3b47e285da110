#include "ui/window_layout.h"

#include "ui/control_ids.h"

int initialClientWidth(int dpi)
{
    return scaleForDpi(620, dpi);
}

int initialClientHeight(int dpi)
{
    return scaleForDpi(482, dpi);
}

int minimumTrackWidth(int dpi)
{
    return scaleForDpi(620, dpi);
}

int minimumTrackHeight(int dpi)
{
    return scaleForDpi(400, dpi);
}

namespace {

// The measures that follow the client area, in design units.
constexpr int kMargin = 10;        // left and right of every group
constexpr int kStatusHeight = 24;  // the status line at the bottom
constexpr int kMinimumEventsHeight = 80;
constexpr int kListInsetWidth = 20;   // the list inside the events group: 10 on either side
constexpr int kListInsetHeight = 30;  // 20 above for the caption, 10 below

}  // namespace

WindowLayout computeLayout(int clientWidth, int clientHeight, int dpi)
{
    // Every design value is scaled on its own and only then added, so that the sums round the same
    // way at every DPI (a control never drifts a pixel away from its group box).
    const auto s = [dpi](int value) { return scaleForDpi(value, dpi); };
    const int margin = s(kMargin);
    const int groupWidth = clientWidth - 2 * margin;
    const int statusHeight = s(kStatusHeight);
    const ControlRow* eventsGroup = findControlRow(IDC_GROUP_EVENTS);
    const int eventsTop = eventsGroup != nullptr ? s(eventsGroup->rect.originY) : 0;
    int eventsHeight = clientHeight - eventsTop - statusHeight - margin;
    if (eventsHeight < s(kMinimumEventsHeight)) {
        eventsHeight = s(kMinimumEventsHeight);
    }

    WindowLayout layout{};
    for (size_t i = 0; i < kControlCount; ++i) {
        const ControlRow& row = kControlTable[i];
        const DesignRect& r = row.rect;
        ControlPlacement& place = layout[i];
        place = {row.id, s(r.originX) + s(r.offsetX), s(r.originY) + s(r.offsetY), s(r.width), s(r.height)};
        switch (r.anchor) {
        case Anchor::Fixed: break;
        case Anchor::GroupWidth: place.width = groupWidth; break;
        case Anchor::EventsGroup:
            place.width = groupWidth;
            place.height = eventsHeight;
            break;
        case Anchor::EventsList:
            place.width = groupWidth - s(kListInsetWidth);
            place.height = eventsHeight - s(kListInsetHeight);
            break;
        case Anchor::StatusLine: place = {row.id, 0, clientHeight - statusHeight, clientWidth, statusHeight}; break;
        case Anchor::StatusButton:
            place.x = clientWidth - s(r.offsetX) - place.width;
            place.y = clientHeight - statusHeight + (statusHeight - place.height) / 2;
            break;
        }
    }
    return layout;
}

bool operator==(const ButtonColour& a, const ButtonColour& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

ButtonColour actionButtonColour(int controlId, bool enabled, bool pressed)
{
    if (!enabled) {
        return {158, 158, 158};
    }
    ButtonColour base{96, 96, 96};
    switch (controlId) {
    case IDC_RECORD: base = {211, 47, 47}; break;
    case IDC_RECORD_STOP:
    case IDC_PLAY:
    case IDC_PLAY_STOP: base = {56, 142, 60}; break;
    case IDC_SAVE:
    case IDC_LOAD:
    case IDC_CLEAR: base = {25, 118, 210}; break;
    default: break;
    }
    if (pressed) {
        const auto darker = [](uint8_t channel) { return static_cast<uint8_t>(channel * 8 / 10); };
        base = {darker(base.red), darker(base.green), darker(base.blue)};
    }
    return base;
}
