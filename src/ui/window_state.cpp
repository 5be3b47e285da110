#include "ui/window_state.h"

#include "ui/control_ids.h"

bool isCommandAllowed(Activity activity, WindowCommand command)
{
    switch (command) {
    case WindowCommand::StopRecording: return activity == Activity::Recording;
    case WindowCommand::StopPlayback:
    case WindowCommand::PausePlayback:
    case WindowCommand::ResumePlayback: return activity == Activity::Playing;
    case WindowCommand::ChangeSettings:
    case WindowCommand::StartRecording:
    case WindowCommand::StartPlayback:
    case WindowCommand::Save:
    case WindowCommand::Load:
    case WindowCommand::Clear:
    case WindowCommand::CheckUpdate:
    case WindowCommand::EditEvents: return activity == Activity::Idle;
    }
    return false;
}

bool isCommandAllowed(const WindowFacts& facts, WindowCommand command)
{
    switch (command) {
    case WindowCommand::PausePlayback: return facts.activity == Activity::Playing && !facts.paused;
    case WindowCommand::ResumePlayback: return facts.activity == Activity::Playing && facts.paused;
    case WindowCommand::StartPlayback: return isCommandAllowed(facts.activity, command) && facts.eventCount > 0;
    default: return isCommandAllowed(facts.activity, command);
    }
}

std::vector<ControlLook> deriveControlLooks(const WindowFacts& facts)
{
    const bool idle = facts.activity == Activity::Idle;
    const bool recording = facts.activity == Activity::Recording;
    const bool playing = facts.activity == Activity::Playing;
    const bool countEditable = !facts.loopChecked;
    return {
        {IDC_RECORD, idle, recording ? L"● 录制中" : L"● 录制"},
        {IDC_RECORD_STOP, recording, nullptr},
        {IDC_PLAY, idle && facts.eventCount > 0, playing ? L"⏸ 回放中" : L"▶ 回放"},
        {IDC_PLAY_STOP, playing, nullptr},
        {IDC_SAVE, idle, nullptr},
        {IDC_LOAD, idle, nullptr},
        {IDC_CLEAR, idle, nullptr},
        {IDC_CHECK_UPDATE, idle, nullptr},
        {IDC_COUNT, countEditable, nullptr},
        {IDC_COUNT_SPIN, countEditable, nullptr},
    };
}

std::wstring recordGroupText(const WindowFacts& facts)
{
    return L"录制 (" + facts.recordKey + L" 开始 / " + facts.stopKey + L" 停止)";
}

std::wstring playbackGroupText(const WindowFacts& facts)
{
    return L"回放 (" + facts.stopKey + L" 停止)";
}

std::wstring readyStatusText(const WindowFacts& facts)
{
    return L"就绪  ·  " + facts.recordKey + L" 录制 / " + facts.stopKey + L" 停止";
}

std::wstring recordingNoticeText(const WindowFacts& facts)
{
    return L"程序正在录制脚本，请勿重复按" + facts.recordKey + L"录制。\n\n如需停止录制，请按 " + facts.stopKey +
           L"，或点击「■ 停止录制」。";
}

std::wstring hooksFailedText(const WindowFacts& facts)
{
    return L"键盘鼠标钩子安装失败，热键（" + facts.recordKey + L"/" + facts.stopKey +
           L"）和录制功能将不可用。\n\n最常见原因：安全软件（360 等）拦截全局钩子。\n"
           L"处理办法：把本程序加入杀软白名单后重启软件。";
}

std::wstring pausedStatusText(const WindowFacts& facts)
{
    // Without a pause key the menus resume.
    return facts.pauseKey.empty() ? std::wstring(L"⏸ 已暂停")
                                  : L"⏸ 已暂停，按 " + facts.pauseKey + L" 继续";
}

std::wstring passGapStatusText(int nextPass, int seconds)
{
    return L"⏳ 第 " + std::to_wstring(nextPass) + L" 遍将在 " + std::to_wstring(seconds) + L" 秒后开始";
}

std::wstring playbackProgressText(int pass, int limit, unsigned step, unsigned steps)
{
    if (pass <= 0) {
        return std::wstring();
    }
    const std::wstring passes =
        limit > 0 ? std::to_wstring(pass) + L"/" + std::to_wstring(limit) : std::to_wstring(pass);
    return L"第 " + passes + L" 遍 · 第 " + std::to_wstring(step) + L"/" + std::to_wstring(steps) + L" 步";
}

std::wstring defaultStatusText(const WindowFacts& facts)
{
    switch (facts.activity) {
    case Activity::Recording: return L"● 录制中...";
    case Activity::Playing: return L"▶ 回放中...";
    case Activity::Loading: return L"正在加载…";
    case Activity::Idle: break;
    }
    return readyStatusText(facts);
}
