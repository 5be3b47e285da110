#include "app/start_plan.h"

#include <gtest/gtest.h>

namespace {

constexpr GuardState kGuardStates[] = {GuardState::Free, GuardState::Held, GuardState::NoAccess};

// Every start mode against every state of the window guard and the recording guard: the guard
// that does not concern a mode must never change what it does.
TEST(StartPlan, ModesAgainstEveryGuardState)
{
    struct Case {
        StartMode mode;
        bool window;          // takes the window instance's guard
        bool playback;        // takes the playback's guard and looks at the recording's
        StartPlan whenFree;   // the guard that concerns the mode is free
        StartPlan whenTaken;  // held by another process, or present without the rights to open it
    };
    const Case cases[] = {
        {StartMode::Window, true, false, StartPlan::RunWindow, StartPlan::ActivateRunning},
        {StartMode::Open, true, false, StartPlan::RunWindow, StartPlan::HandOverScripts},
        {StartMode::Play, false, true, StartPlan::PlayUnattended, StartPlan::RefusePlayback},
        {StartMode::Help, false, false, StartPlan::ShowUsage, StartPlan::ShowUsage},
        {StartMode::Invalid, false, false, StartPlan::RefuseArguments, StartPlan::RefuseArguments},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(takesWindowGuard(c.mode), c.window) << static_cast<int>(c.mode);
        EXPECT_EQ(takesPlaybackGuard(c.mode), c.playback) << static_cast<int>(c.mode);
        const bool windowMode = c.window;
        for (GuardState windowGuard : kGuardStates) {
            for (GuardState recordingGuard : kGuardStates) {
                const GuardState concerned = windowMode ? windowGuard : recordingGuard;
                const StartPlan expected = concerned == GuardState::Free ? c.whenFree : c.whenTaken;
                EXPECT_EQ(planStart(c.mode, windowGuard, recordingGuard), expected)
                    << "mode " << static_cast<int>(c.mode) << " window " << static_cast<int>(windowGuard)
                    << " recording " << static_cast<int>(recordingGuard);
            }
        }
    }
}

TEST(StartPlan, AnswersOfTheRunningWindowGiveTheExitCodeAndTheLogLine)
{
    const struct {
        StartPlan plan;
        RunningWindowAnswer answer;
        int exitCode;
        const wchar_t* logLine;
        bool runWindow = false;
    } cases[] = {
        {StartPlan::ActivateRunning, RunningWindowAnswer::Accepted, 0, L""},
        {StartPlan::HandOverScripts, RunningWindowAnswer::Accepted, 0, L""},
        {StartPlan::ActivateRunning, RunningWindowAnswer::NoAnswer, 1,
         L"[启动] 已有实例在运行，但它的窗口 5 秒内没有应答，本次启动退出"},
        {StartPlan::HandOverScripts, RunningWindowAnswer::NoAnswer, 1,
         L"[启动] 已有实例在运行，但它的窗口 5 秒内没有应答，脚本未能转交，本次启动退出"},
        // The instance was closing and went away: this start is the window after all.
        {StartPlan::ActivateRunning, RunningWindowAnswer::InstanceGone, 0,
         L"[启动] 已有的实例刚刚关闭，本次启动打开窗口", true},
        {StartPlan::HandOverScripts, RunningWindowAnswer::InstanceGone, 0,
         L"[启动] 已有的实例刚刚关闭，本次启动打开窗口", true},
        // Starts that ask nobody are not ended by an answer.
        {StartPlan::RunWindow, RunningWindowAnswer::NoAnswer, 0, L""},
        {StartPlan::PlayUnattended, RunningWindowAnswer::NoAnswer, 0, L""},
    };
    for (const auto& c : cases) {
        const HandOverEnd end = endOfHandOver(c.plan, c.answer);
        EXPECT_EQ(end.exitCode, c.exitCode) << static_cast<int>(c.plan);
        EXPECT_EQ(end.logLine, c.logLine) << static_cast<int>(c.plan);
        EXPECT_EQ(end.runWindow, c.runWindow) << static_cast<int>(c.plan);
    }
}

}  // namespace
