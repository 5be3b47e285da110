// The notification-area icon's look from the window's facts: its menu enabled exactly as the
// window's commands, its tooltip, its pace, and its pictures at every icon size.
#include "ui/tray_look.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The enabled items of a menu, by their texts, separated by "|".
std::wstring enabledItems(const TrayLook& look)
{
    std::wstring text;
    for (const TrayMenuItem& item : look.menu) {
        if (item.enabled && item.command != TrayCommand::Separator) {
            text += std::wstring(text.empty() ? L"" : L"|") + item.text;
        }
    }
    return text;
}

WindowFacts facts(Activity activity, size_t events, bool paused)
{
    WindowFacts f;
    f.activity = activity;
    f.eventCount = events;
    f.paused = paused;
    return f;
}

}  // namespace

TEST(TrayLook, TheStateAndTheMenuFollowTheWindowsFacts)
{
    const struct {
        WindowFacts facts;
        bool unattended;
        TrayState state;
        const wchar_t* enabled;
    } cases[] = {
        {facts(Activity::Idle, 0, false), false, TrayState::Idle, L"录制|脚本库...|显示窗口|退出"},
        {facts(Activity::Idle, 3, false), false, TrayState::Idle, L"录制|回放|脚本库...|显示窗口|退出"},
        {facts(Activity::Recording, 3, false), false, TrayState::Recording, L"停止录制|脚本库...|显示窗口|退出"},
        {facts(Activity::Playing, 3, false), false, TrayState::Playing, L"暂停|停止|脚本库...|显示窗口|退出"},
        {facts(Activity::Playing, 3, true), false, TrayState::Paused, L"继续|停止|脚本库...|显示窗口|退出"},
        {facts(Activity::Loading, 3, false), false, TrayState::Idle, L"脚本库...|显示窗口|退出"},
        {facts(Activity::Playing, 3, false), true, TrayState::Playing, L"暂停|停止"},
        {facts(Activity::Playing, 3, true), true, TrayState::Paused, L"继续|停止"},
        {facts(Activity::Idle, 3, false), true, TrayState::Idle, L""},
    };
    for (const auto& c : cases) {
        const TrayLook look = deriveTrayLook(c.facts, L"s", TrayProgress{}, c.unattended);
        EXPECT_EQ(look.state, c.state) << c.enabled;
        EXPECT_EQ(enabledItems(look), c.enabled);
    }
}

TEST(TrayLook, TheTooltipIsTheStatusWithThePassAndStepWhilePlaying)
{
    const struct {
        Activity activity;
        TrayProgress progress;
        std::wstring tooltip;
    } cases[] = {
        {Activity::Playing, {2, 5, 340, 1200}, L"▶ 回放中\n第 2/5 遍 · 第 340/1200 步"},
        {Activity::Playing, {7, 0, 1, 3}, L"▶ 回放中\n第 7 遍 · 第 1/3 步"},
        {Activity::Playing, {0, 0, 0, 0}, L"▶ 回放中"},
        {Activity::Idle, {2, 5, 340, 1200}, L"▶ 回放中"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(deriveTrayLook(facts(c.activity, 1, false), L"▶ 回放中", c.progress, false).tooltip, c.tooltip);
    }
    const std::wstring longStatus(300, L'x');
    EXPECT_EQ(deriveTrayLook(facts(Activity::Idle, 1, false), longStatus, TrayProgress{}, false).tooltip.size(),
              kTrayTooltipLength);
}

TEST(TrayLook, ANewStateShowsAtOnceANewTooltipAtMostFourTimesASecond)
{
    TrayLook shown;
    shown.tooltip = L"a";
    TrayLook sameState = shown;
    sameState.tooltip = L"b";
    TrayLook otherState = shown;
    otherState.state = TrayState::Paused;
    EXPECT_FALSE(isTrayUpdateDue(shown, shown, 0, 10000));
    EXPECT_TRUE(isTrayUpdateDue(shown, otherState, 1000, 1001));
    EXPECT_FALSE(isTrayUpdateDue(shown, sameState, 1000, 1249));
    EXPECT_TRUE(isTrayUpdateDue(shown, sameState, 1000, 1250));
}

TEST(TrayLook, EachStateIsDrawnForItsSizeWithClearCornersAndItsColours)
{
    for (const int size : {16, 20, 24, 32, 40}) {  // 100 % to 250 %
        const TrayState states[] = {TrayState::Idle, TrayState::Recording, TrayState::Playing, TrayState::Paused};
        std::vector<uint32_t> centres;
        for (const TrayState state : states) {
            const std::vector<uint32_t> pixels = drawTrayIcon(state, size);
            ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size));
            EXPECT_EQ(pixels[0] >> 24, 0u) << "a rounded corner is clear at " << size;
            // The tile's edge halfway down the left side is opaque, in the state's colour.
            const uint32_t edge = pixels[static_cast<size_t>(size / 2 * size + size / 10)];
            EXPECT_EQ(edge >> 24, 255u) << size;
            centres.push_back(edge & 0xFFFFFF);
        }
        for (size_t i = 0; i < centres.size(); ++i) {
            for (size_t j = i + 1; j < centres.size(); ++j) {
                EXPECT_NE(centres[i], centres[j]) << "states " << i << " and " << j << " at " << size;
            }
        }
    }
    // The recording dot is white in the middle of the red tile.
    const std::vector<uint32_t> recording = drawTrayIcon(TrayState::Recording, 32);
    EXPECT_EQ(recording[16 * 32 + 16], 0xFFFFFFFFu);
    EXPECT_TRUE(drawTrayIcon(TrayState::Idle, 0).empty());
}

TEST(TrayLook, TheStatusTextsOfAPauseAndAGapNameTheKeyAndTheCountdown)
{
    WindowFacts paused = facts(Activity::Playing, 1, true);
    EXPECT_EQ(pausedStatusText(paused), L"⏸ 已暂停，按 F10 继续");
    paused.pauseKey = L"Ctrl+F12";
    EXPECT_EQ(pausedStatusText(paused), L"⏸ 已暂停，按 Ctrl+F12 继续");
    paused.pauseKey.clear();
    EXPECT_EQ(pausedStatusText(paused), L"⏸ 已暂停") << "without a pause key the menus resume";
    EXPECT_EQ(passGapStatusText(3, 12), L"⏳ 第 3 遍将在 12 秒后开始");
}
