#include "app/start_plan.h"

bool takesWindowGuard(StartMode mode)
{
    return mode == StartMode::Window || mode == StartMode::Open;
}

bool takesPlaybackGuard(StartMode mode)
{
    return mode == StartMode::Play;
}

StartPlan planStart(StartMode mode, GuardState windowGuard, GuardState recordingGuard)
{
    switch (mode) {
    case StartMode::Help: return StartPlan::ShowUsage;
    case StartMode::Invalid: return StartPlan::RefuseArguments;
    case StartMode::Play: return isGuardTaken(recordingGuard) ? StartPlan::RefusePlayback : StartPlan::PlayUnattended;
    case StartMode::Window: return isGuardTaken(windowGuard) ? StartPlan::ActivateRunning : StartPlan::RunWindow;
    case StartMode::Open: return isGuardTaken(windowGuard) ? StartPlan::HandOverScripts : StartPlan::RunWindow;
    }
    return StartPlan::RefuseArguments;
}

HandOverEnd endOfHandOver(StartPlan plan, RunningWindowAnswer answer)
{
    HandOverEnd end;
    if (plan != StartPlan::ActivateRunning && plan != StartPlan::HandOverScripts) {
        return end;
    }
    if (answer == RunningWindowAnswer::InstanceGone) {
        end.runWindow = true;
        end.logLine = L"[启动] 已有的实例刚刚关闭，本次启动打开窗口";
    } else if (answer == RunningWindowAnswer::NoAnswer) {
        end.exitCode = 1;
        end.logLine = plan == StartPlan::HandOverScripts
                          ? L"[启动] 已有实例在运行，但它的窗口 5 秒内没有应答，脚本未能转交，本次启动退出"
                          : L"[启动] 已有实例在运行，但它的窗口 5 秒内没有应答，本次启动退出";
    }
    return end;
}

std::wstring playbackRefusedText(const std::wstring& script)
{
    return L"另一个录制正在进行，暂不能回放：" + script;
}
