#include "ui/tray_look.h"

#include <algorithm>
#include <cmath>

namespace {

TrayMenuItem item(const WindowFacts& facts, TrayCommand command, const wchar_t* text, WindowCommand rule)
{
    return TrayMenuItem{command, text, isCommandAllowed(facts, rule)};
}

TrayState stateOf(const WindowFacts& facts)
{
    switch (facts.activity) {
    case Activity::Recording: return TrayState::Recording;
    case Activity::Playing: return facts.paused ? TrayState::Paused : TrayState::Playing;
    default: return TrayState::Idle;
    }
}

// ---- the pictures: coverage of shapes in a unit square, 4 x 4 samples a pixel ----

struct Rgb {
    uint8_t r, g, b;
};

Rgb tileColour(TrayState state)
{
    switch (state) {
    case TrayState::Recording: return {211, 47, 47};
    case TrayState::Playing: return {46, 160, 67};
    case TrayState::Paused: return {245, 180, 0};
    default: return {31, 58, 104};
    }
}

bool inTile(double u, double v)
{
    const double r = 0.2, lo = 0.03, hi = 0.97;
    if (u < lo || u > hi || v < lo || v > hi) {
        return false;
    }
    const double cx = std::min(std::max(u, lo + r), hi - r);
    const double cy = std::min(std::max(v, lo + r), hi - r);
    return (u - cx) * (u - cx) + (v - cy) * (v - cy) <= r * r;
}

bool inSign(TrayState state, double u, double v)
{
    switch (state) {
    case TrayState::Recording: return (u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5) <= 0.26 * 0.26;
    case TrayState::Paused: return v >= 0.26 && v <= 0.74 && ((u >= 0.3 && u <= 0.44) || (u >= 0.56 && u <= 0.7));
    default: {
        const double x0 = 0.34, x1 = 0.76;
        if (u < x0 || u > x1) {
            return false;
        }
        return std::fabs(v - 0.5) <= 0.26 * (1.0 - (u - x0) / (x1 - x0));
    }
    }
}

}  // namespace

TrayLook deriveTrayLook(const WindowFacts& facts, const std::wstring& status, const TrayProgress& progress,
                        bool unattended)
{
    TrayLook look;
    look.state = stateOf(facts);
    look.tooltip = status;
    if (facts.activity == Activity::Playing) {
        const std::wstring where = playbackProgressText(progress.pass, progress.limit, progress.step, progress.steps);
        if (!where.empty()) {
            look.tooltip += L"\n" + where;
        }
    }
    if (look.tooltip.size() > kTrayTooltipLength) {
        look.tooltip.resize(kTrayTooltipLength);
    }
    const TrayMenuItem separator;
    if (unattended) {
        look.menu = {item(facts, TrayCommand::Pause, L"暂停", WindowCommand::PausePlayback),
                     item(facts, TrayCommand::Resume, L"继续", WindowCommand::ResumePlayback),
                     item(facts, TrayCommand::StopPlayback, L"停止", WindowCommand::StopPlayback)};
        return look;
    }
    look.menu = {item(facts, TrayCommand::Record, L"录制", WindowCommand::StartRecording),
                 item(facts, TrayCommand::StopRecording, L"停止录制", WindowCommand::StopRecording),
                 separator,
                 item(facts, TrayCommand::Play, L"回放", WindowCommand::StartPlayback),
                 item(facts, TrayCommand::Pause, L"暂停", WindowCommand::PausePlayback),
                 item(facts, TrayCommand::Resume, L"继续", WindowCommand::ResumePlayback),
                 item(facts, TrayCommand::StopPlayback, L"停止", WindowCommand::StopPlayback),
                 separator,
                 TrayMenuItem{TrayCommand::Library, L"脚本库...", true},
                 TrayMenuItem{TrayCommand::ShowWindow, L"显示窗口", true},
                 TrayMenuItem{TrayCommand::Exit, L"退出", true}};
    return look;
}

bool isTrayUpdateDue(const TrayLook& shown, const TrayLook& wanted, uint64_t lastUpdateMs, uint64_t nowMs)
{
    if (shown.state != wanted.state) {
        return true;
    }
    return shown.tooltip != wanted.tooltip && nowMs - lastUpdateMs >= kTrayTooltipIntervalMs;
}

std::vector<uint32_t> drawTrayIcon(TrayState state, int size)
{
    constexpr int kSamples = 4;
    const Rgb tile = tileColour(state);
    // The paused tile is light: its bars are dark, every other sign is white.
    const Rgb sign = state == TrayState::Paused ? Rgb{60, 45, 0} : Rgb{255, 255, 255};
    std::vector<uint32_t> pixels(size > 0 ? static_cast<size_t>(size) * static_cast<size_t>(size) : 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int tileHits = 0;
            int signHits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                const double v = (y + (sy + 0.5) / kSamples) / size;
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = (x + (sx + 0.5) / kSamples) / size;
                    if (inTile(u, v)) {
                        ++tileHits;
                        signHits += inSign(state, u, v) ? 1 : 0;
                    }
                }
            }
            const double alpha = static_cast<double>(tileHits) / (kSamples * kSamples);
            const double mix = tileHits > 0 ? static_cast<double>(signHits) / tileHits : 0.0;
            auto channel = [&](uint8_t a, uint8_t b) {
                return static_cast<uint32_t>(std::lround(a * (1.0 - mix) + b * mix));
            };
            const auto a = static_cast<uint32_t>(std::lround(alpha * 255.0));
            pixels[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] =
                (a << 24) | (channel(tile.r, sign.r) << 16) | (channel(tile.g, sign.g) << 8) | channel(tile.b, sign.b);
        }
    }
    return pixels;
}
