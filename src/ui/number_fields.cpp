#include "ui/number_fields.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "player/playback_loop.h"

namespace {

constexpr size_t kSpeedTextLimit = 31;
constexpr size_t kCountTextLimit = 15;

long long clampTo(long long value, long long low, long long high)
{
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

double parseSpeedText(const std::wstring& text)
{
    const std::wstring head = text.substr(0, kSpeedTextLimit);
    double speed = std::wcstod(head.c_str(), nullptr);
    if (std::isnan(speed) || !(speed > 0.0)) {
        speed = 1.0;
    }
    if (speed < kMinPlaybackSpeed) {
        speed = kMinPlaybackSpeed;
    }
    if (speed > kMaxPlaybackSpeed) {
        speed = kMaxPlaybackSpeed;
    }
    return speed;
}

int parseLoopCountText(const std::wstring& text)
{
    const std::wstring head = text.substr(0, kCountTextLimit);
    // long long so that a 15-digit text saturates the same way where long is 32 bits.
    const long long count = std::wcstoll(head.c_str(), nullptr, 10);
    return static_cast<int>(clampTo(count, kMinPlaybackLoops, kMaxPlaybackLoops));
}

std::wstring formatSpeedText(double speed)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%.1f", speed);
    return text;
}

int speedSpinPosition(double speed)
{
    return static_cast<int>(speed * 10.0 + 0.5);
}

int stepSpeedPosition(double currentSpeed, int delta)
{
    // The delta comes from the up-down control and may be large when it accelerates: add in 64 bits.
    return static_cast<int>(clampTo(static_cast<long long>(delta) + speedSpinPosition(currentSpeed), 1, 100));
}

int stepLoopCount(int currentCount, int delta)
{
    return static_cast<int>(
        clampTo(static_cast<long long>(delta) + currentCount, kMinPlaybackLoops, kMaxPlaybackLoops));
}
