#include "ui/window_layout.h"

#include <cstdlib>

#include "ui/control_ids.h"

namespace {

int mulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long magnitude = (std::llabs(product) + denominator / 2) / denominator;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

}  // namespace

int ScaleForDpi(int value, int dpi)
{
    return mulDiv(value, dpi, 96);
}

int FontHeightForDpi(int points, int dpi)
{
    return -mulDiv(points, dpi, 72);
}

int InitialClientWidth(int dpi)
{
    return ScaleForDpi(620, dpi);
}

int InitialClientHeight(int dpi)
{
    return ScaleForDpi(482, dpi);
}

int MinimumTrackWidth(int dpi)
{
    return ScaleForDpi(620, dpi);
}

int MinimumTrackHeight(int dpi)
{
    return ScaleForDpi(400, dpi);
}

WindowLayout ComputeLayout(int clientWidth, int clientHeight, int dpi)
{
    // Every design value is scaled on its own and only then added, so that the sums round the same
    // way at every DPI (a control never drifts a pixel away from its group box).
    const auto s = [dpi](int value) { return ScaleForDpi(value, dpi); };
    const int w = clientWidth;
    const int h = clientHeight;
    const int m = s(10);
    const int innerWidth = w - 2 * m;
    const int statusHeight = s(24);
    int eventsHeight = h - s(276) - statusHeight - m;
    if (eventsHeight < s(80)) {
        eventsHeight = s(80);
    }
    const int play = s(128);
    return WindowLayout{{
        {IDC_GROUP_CAPTURE, m, s(6), innerWidth, s(52)},
        {IDC_MOUSE, m + s(18), s(6) + s(20), s(72), s(22)},
        {IDC_KEYBOARD, m + s(110), s(6) + s(20), s(72), s(22)},
        {IDC_GROUP_RECORD, m, s(64), innerWidth, s(58)},
        {IDC_RECORD, m + s(12), s(64) + s(22), s(112), s(30)},
        {IDC_RECORD_STOP, m + s(132), s(64) + s(22), s(90), s(30)},
        {IDC_GROUP_PLAYBACK, m, play, innerWidth, s(80)},
        {IDC_SPEED_LABEL, m + s(16), play + s(24), s(35), s(20)},
        {IDC_SPEED, m + s(52), play + s(21), s(46), s(24)},
        {IDC_SPEED_SPIN, m + s(98), play + s(21), s(16), s(24)},
        {IDC_LOOP, m + s(120), play + s(24), s(56), s(20)},
        {IDC_CLICK_FIDELITY, m + s(16), play + s(52), s(340), s(20)},
        {IDC_COUNT_LABEL, m + s(186), play + s(24), s(35), s(20)},
        {IDC_COUNT, m + s(222), play + s(21), s(46), s(24)},
        {IDC_COUNT_SPIN, m + s(268), play + s(21), s(16), s(24)},
        {IDC_PLAY, m + s(296), play + s(18), s(104), s(30)},
        {IDC_PLAY_STOP, m + s(406), play + s(18), s(84), s(30)},
        {IDC_EVENT_COUNT, m + s(496), play + s(24), s(60), s(20)},
        {IDC_GROUP_SCRIPT, m, s(214), innerWidth, s(56)},
        {IDC_SAVE, m + s(12), s(214) + s(22), s(84), s(26)},
        {IDC_LOAD, m + s(104), s(214) + s(22), s(84), s(26)},
        {IDC_CLEAR, m + s(196), s(214) + s(22), s(84), s(26)},
        {IDC_GROUP_EVENTS, m, s(276), innerWidth, eventsHeight},
        {IDC_EVENT_LIST, m + s(10), s(276) + s(20), innerWidth - s(20), eventsHeight - s(30)},
        {IDC_STATUS, 0, h - statusHeight, w, statusHeight},
        {IDC_CHECK_UPDATE, w - s(6) - s(84), h - statusHeight + (statusHeight - s(20)) / 2, s(84), s(20)},
    }};
}

bool operator==(const ButtonColour& a, const ButtonColour& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

ButtonColour ActionButtonColour(int controlId, bool enabled, bool pressed)
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
