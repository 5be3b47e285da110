#include "ui/window_state.h"

#include <gtest/gtest.h>

#include "ui/control_ids.h"

namespace {

TEST(WindowState, CommandsAllowedInEachState)
{
    using C = WindowCommand;
    using A = Activity;
    // Columns: idle, recording, playing, loading.
    const struct {
        WindowCommand command;
        bool allowed[4];
    } rows[] = {
        {C::StartRecording, {true, false, false, false}}, {C::StopRecording, {false, true, false, false}},
        {C::StartPlayback, {true, false, false, false}},  {C::StopPlayback, {false, false, true, false}},
        {C::Save, {true, false, false, false}},           {C::Load, {true, false, false, false}},
        {C::Clear, {true, false, false, false}},          {C::CheckUpdate, {true, false, false, false}},
        {C::EditEvents, {true, false, false, false}},     {C::ChangeSettings, {true, false, false, false}},
    };
    const Activity states[] = {A::Idle, A::Recording, A::Playing, A::Loading};
    for (const auto& row : rows) {
        for (int s = 0; s < 4; ++s) {
            EXPECT_EQ(isCommandAllowed(states[s], row.command), row.allowed[s])
                << "command " << static_cast<int>(row.command) << " in state " << s;
        }
    }
}

struct Look {
    bool enabled;
    const wchar_t* caption;
};

Look lookOf(const WindowFacts& facts, int id)
{
    for (const ControlLook& look : deriveControlLooks(facts)) {
        if (look.id == id) {
            return {look.enabled, look.caption};
        }
    }
    ADD_FAILURE() << "no look for " << id;
    return {false, nullptr};
}

TEST(WindowState, ControlsFollowTheStateTable)
{
    struct Row {
        int id;
        Look idleEmpty, idleEvents, recording, playing, loading;
    };
    const wchar_t* const kRecord = L"● 录制";
    const wchar_t* const kPlay = L"▶ 回放";
    const Row rows[] = {
        {IDC_RECORD, {true, kRecord}, {true, kRecord}, {false, L"● 录制中"}, {false, kRecord}, {false, kRecord}},
        {IDC_RECORD_STOP, {false, nullptr}, {false, nullptr}, {true, nullptr}, {false, nullptr}, {false, nullptr}},
        {IDC_PLAY, {false, kPlay}, {true, kPlay}, {false, kPlay}, {false, L"⏸ 回放中"}, {false, kPlay}},
        {IDC_PLAY_STOP, {false, nullptr}, {false, nullptr}, {false, nullptr}, {true, nullptr}, {false, nullptr}},
        {IDC_SAVE, {true, nullptr}, {true, nullptr}, {false, nullptr}, {false, nullptr}, {false, nullptr}},
        {IDC_LOAD, {true, nullptr}, {true, nullptr}, {false, nullptr}, {false, nullptr}, {false, nullptr}},
        {IDC_CLEAR, {true, nullptr}, {true, nullptr}, {false, nullptr}, {false, nullptr}, {false, nullptr}},
        {IDC_CHECK_UPDATE, {true, nullptr}, {true, nullptr}, {false, nullptr}, {false, nullptr}, {false, nullptr}},
    };
    for (const Row& row : rows) {
        const struct {
            Activity activity;
            size_t events;
            Look expected;
        } cases[] = {{Activity::Idle, 0, row.idleEmpty},
                     {Activity::Idle, 3, row.idleEvents},
                     {Activity::Recording, 3, row.recording},
                     {Activity::Playing, 3, row.playing},
                     {Activity::Loading, 3, row.loading}};
        for (const auto& c : cases) {
            WindowFacts facts;
            facts.activity = c.activity;
            facts.eventCount = c.events;
            const Look got = lookOf(facts, row.id);
            EXPECT_EQ(got.enabled, c.expected.enabled) << row.id << " state " << static_cast<int>(c.activity);
            if (c.expected.caption == nullptr) {
                EXPECT_EQ(got.caption, nullptr) << row.id;
            } else {
                ASSERT_NE(got.caption, nullptr) << row.id;
                EXPECT_STREQ(got.caption, c.expected.caption) << row.id << " state " << static_cast<int>(c.activity);
            }
        }
    }
}

TEST(WindowState, CountFieldFollowsTheLoopBoxInEveryState)
{
    for (Activity activity : {Activity::Idle, Activity::Recording, Activity::Playing, Activity::Loading}) {
        for (bool loop : {false, true}) {
            WindowFacts facts;
            facts.activity = activity;
            facts.loopChecked = loop;
            EXPECT_EQ(lookOf(facts, IDC_COUNT).enabled, !loop);
            EXPECT_EQ(lookOf(facts, IDC_COUNT_SPIN).enabled, !loop);
        }
    }
}

TEST(WindowState, TextsNameTheChosenKeys)
{
    WindowFacts facts;
    EXPECT_EQ(recordGroupText(facts), L"录制 (F8 开始 / F9 停止)");
    EXPECT_EQ(playbackGroupText(facts), L"回放 (F9 停止)");
    EXPECT_EQ(readyStatusText(facts), L"就绪  ·  F8 录制 / F9 停止");
    EXPECT_EQ(recordingNoticeText(facts),
              L"程序正在录制脚本，请勿重复按F8录制。\n\n如需停止录制，请按 F9，或点击「■ 停止录制」。");
    EXPECT_EQ(hooksFailedText(facts),
              L"键盘鼠标钩子安装失败，热键（F8/F9）和录制功能将不可用。\n\n"
              L"最常见原因：安全软件（360 等）拦截全局钩子。\n处理办法：把本程序加入杀软白名单后重启软件。");
    facts.recordKey = L"Ctrl+F11";
    facts.stopKey = L"Pause";
    EXPECT_EQ(recordGroupText(facts), L"录制 (Ctrl+F11 开始 / Pause 停止)");
    EXPECT_EQ(playbackGroupText(facts), L"回放 (Pause 停止)");
    EXPECT_EQ(readyStatusText(facts), L"就绪  ·  Ctrl+F11 录制 / Pause 停止");
    EXPECT_EQ(recordingNoticeText(facts), L"程序正在录制脚本，请勿重复按Ctrl+F11录制。\n\n如需停止录制，请按 "
                                          L"Pause，或点击「■ 停止录制」。");
}

TEST(WindowState, DefaultStatusOfEachState)
{
    const struct {
        Activity activity;
        const wchar_t* text;
    } cases[] = {{Activity::Idle, L"就绪  ·  F8 录制 / F9 停止"},
                 {Activity::Recording, L"● 录制中..."},
                 {Activity::Playing, L"▶ 回放中..."},
                 {Activity::Loading, L"正在加载…"}};
    for (const auto& c : cases) {
        WindowFacts facts;
        facts.activity = c.activity;
        EXPECT_EQ(defaultStatusText(facts), c.text);
    }
}

}  // namespace
