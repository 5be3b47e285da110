// The script library in the window: reading it at start-up, its entries' keys and schedules, and
// the runs they start, which go into the player by the same path as the window's own playback
// and never touch the window's script.
#include "ui/main_window.h"

#include <string>
#include <vector>

#include "base/error_log.h"
#include "base/message_box.h"
#include "base/session_guards.h"
#include "base/text_encoding.h"
#include "library/key_clash.h"
#include "library/library_file.h"
#include "library/library_store.h"
#include "library/local_clock.h"
#include "recorder/recorder_messages.h"
#include "script/script_file.h"
#include "ui/library_dialog.h"

namespace {

// Lets the modifier keys go that the user holds with a held-mode entry's key: the replay types
// as if they were up (the hook keeps their repeats from pressing them again).
void releaseModifierKeys(uint32_t modifierKeys)
{
    std::vector<INPUT> inputs;
    for (uint32_t i = 0; i < 8; ++i) {
        if ((modifierKeys & (1u << i)) == 0) {
            continue;
        }
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(kModifierKeyCodes[i]);
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        const WORD key = input.ki.wVk;
        if (key == VK_RCONTROL || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN) {
            input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        }
        inputs.push_back(input);
    }
    if (!inputs.empty()) {
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
}

const wchar_t* originText(LibraryOrigin origin)
{
    switch (origin) {
    case LibraryOrigin::Key: return L"按键";
    case LibraryOrigin::Schedule: return L"计划";
    case LibraryOrigin::Dialog: return L"立即运行";
    }
    return L"";
}

std::wstring entryName(const LibraryEntry& entry)
{
    return utf8ToWide(entry.name);
}

}  // namespace

ScheduleRefusalFn scheduleRefusalSeam = &showTrayBalloon;

void MainWindow::useLibrary()
{
    LibraryLoad load = loadLibrary();
    library_.active = true;
    library_.library = std::move(load.library);
    if (!load.setAside.empty()) {
        const std::wstring text = L"脚本库文件 library.json 无法读取（" + load.error + L"），脚本库暂为空。\n\n" +
                                  (load.setAside == libraryPath() ? L"文件无法改名：" : L"原文件已改名保存为：") +
                                  load.setAside;
        showMessageBox(window_, text.c_str(), L"脚本库", MB_OK | MB_ICONWARNING);
    }
    const int64_t now = currentUtcMilliseconds() / 1000;
    const ScheduleStart start = startSchedules(library_.library.entries, now, systemTimeZone());
    for (size_t index : start.passedOnce) {
        const LibraryEntry& entry = library_.library.entries[index];
        ErrorLog::write(L"[脚本库] 「%ls」的一次性计划 %ls 已在程序未运行时过去，不再运行", entryName(entry).c_str(),
                        utf8ToWide(localSecondText(entry.schedule.onceAt)).c_str());
    }
    library_.schedule = start.state;
    applyLibrary();
}

void MainWindow::applyLibrary()
{
    if (!library_.active) {
        return;
    }
    std::vector<std::string> problems;
    recorder_.setEntryKeys(entryKeysOf(library_.library.entries, ownKeysOf(hotkeyChordsOf(settings_)), problems));
    for (const std::string& problem : problems) {
        ErrorLog::write(L"%ls", utf8ToWide(problem).c_str());
    }
    // Entries that were changed start their schedules afresh; a once that lies behind stays silent.
    const int64_t now = currentUtcMilliseconds() / 1000;
    library_.schedule = startSchedules(library_.library.entries, now, systemTimeZone()).state;
    armLibraryTimer(earliestDue(library_.schedule));
}

void MainWindow::armLibraryTimer(std::optional<int64_t> wake)
{
    KillTimer(window_, kLibraryTimerId);
    if (!wake) {
        return;  // nothing scheduled: no timer at all
    }
    // A little after the due second, so that the step finds it due; a timer cannot wait longer
    // than about 24 days, and one that fires early only arms the next.
    const int64_t delay = *wake * 1000 - currentUtcMilliseconds() + 20;
    const int64_t bounded = delay < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : (delay > 0x7FFFFFF0 ? 0x7FFFFFF0 : delay);
    SetTimer(window_, kLibraryTimerId, static_cast<UINT>(bounded), nullptr);
}

void MainWindow::onLibraryTimer()
{
    const int64_t now = currentUtcMilliseconds() / 1000;
    const ScheduleStep step = stepSchedules(library_.library.entries, library_.schedule, now, systemTimeZone());
    if (!step.missed.empty()) {
        std::wstring names;
        for (size_t index : step.missed) {
            names += (names.empty() ? L"「" : L"、「") + entryName(library_.library.entries[index]) + L"」";
        }
        ErrorLog::write(L"[脚本库] 时钟跳变或电脑曾休眠，错过的计划运行不再补做：%ls", names.c_str());
    }
    for (size_t index : step.run) {
        runLibraryEntry(index, LibraryOrigin::Schedule, 0);
    }
    armLibraryTimer(step.wake);
}

void MainWindow::onClockChanged()
{
    if (!library_.active) {
        return;
    }
    // Runs that came due meanwhile are missed (logged once); the others follow the new clock.
    onLibraryTimer();
    library_.schedule =
        startSchedules(library_.library.entries, currentUtcMilliseconds() / 1000, systemTimeZone()).state;
    armLibraryTimer(earliestDue(library_.schedule));
}

void MainWindow::onEntryKey(WPARAM entry, LPARAM event)
{
    const size_t index = static_cast<size_t>(entry);
    const auto kind = static_cast<EntryKeyEvent>(event & 0xFF);
    if (!library_.active || index >= library_.library.entries.size()) {
        return;
    }
    const bool ownRun = library_.running == static_cast<int>(index) && currentActivity() == Activity::Playing;
    if (kind == EntryKeyEvent::Released) {
        if (ownRun) {
            player_.stopPlayback();
            setStatus(L"⏹ 停止");
            refreshControls();
        }
        return;
    }
    if (ownRun && library_.library.entries[index].mode == KeyMode::Toggle) {
        stopPlaybackCommand();
        return;
    }
    runLibraryEntry(index, LibraryOrigin::Key, static_cast<uint32_t>(event >> 8) & 0xFF);
}

void MainWindow::runLibraryEntry(size_t index, LibraryOrigin origin, uint32_t modifierKeys)
{
    const LibraryEntry& entry = library_.library.entries[index];
    const std::wstring name = entryName(entry);
    const Activity activity = currentActivity();
    // An unattended playback of another start counts as a replay too.
    const bool playing = activity == Activity::Playing || isGuardTaken(sessionGuardSeam.probe(SessionGuard::Playback));
    if (activity == Activity::Recording || playing) {
        const wchar_t* why = activity == Activity::Recording ? L"正在录制" : L"另一个回放正在进行";
        ErrorLog::write(L"[脚本库] 「%ls」（%ls）被拒绝：%ls", name.c_str(), originText(origin), why);
        if (origin == LibraryOrigin::Schedule) {
            scheduleRefusalSeam(window_, L"脚本库：「" + name + L"」的计划运行被拒绝（" + why + L"）");
        }
        return;
    }
    PlaybackRequest request;
    std::wstring error;
    const std::wstring path = utf8ToWide(entry.file);
    if (!loadScript(path, request.events, request.following.windows, error, LoadProgress{})) {
        ErrorLog::write(L"[脚本库] 「%ls」无法加载脚本 %ls：%ls", name.c_str(), path.c_str(), error.c_str());
        setStatus(L"⚠ 脚本库：「" + name + L"」无法加载脚本：" + error);
        return;
    }
    if (request.events.empty()) {
        ErrorLog::write(L"[脚本库] 「%ls」的脚本中没有事件：%ls", name.c_str(), path.c_str());
        setStatus(L"⚠ 脚本库：「" + name + L"」的脚本中没有事件");
        return;
    }
    request.speed = entry.speed;
    request.endless = entry.endless;
    request.loops = entry.endless ? 1 : entry.loops;
    request.fidelity = entry.fidelity;
    request.following.follow = entry.follow.value_or(settings_.followWindows);
    request.following.waitSeconds = settings_.windowWaitSeconds;
    if (entry.mode == KeyMode::Held && origin == LibraryOrigin::Key) {
        releaseModifierKeys(modifierKeys);
    }
    library_.running = static_cast<int>(index);
    if (!beginPlayback(request, 0, name)) {
        library_.running = -1;
        library_.runningName.clear();
        ErrorLog::write(L"[脚本库] 「%ls」（%ls）无法开始回放", name.c_str(), originText(origin));
        setStatus(L"⚠ 脚本库：「" + name + L"」无法开始回放");
        return;
    }
    ErrorLog::write(L"[脚本库] 「%ls」开始回放（%ls）：%ls", name.c_str(), originText(origin), path.c_str());
}

void MainWindow::endLibraryRun(PlaybackOutcome outcome)
{
    if (library_.runningName.empty()) {
        return;
    }
    const wchar_t* how = outcome == PlaybackOutcome::Completed ? L"完成"
                         : outcome == PlaybackOutcome::Refused ? L"被系统拒绝（目标程序可能以管理员身份运行）"
                         : outcome == PlaybackOutcome::WindowMissing ? L"找不到窗口，已停止"
                                                                     : L"已停止";
    ErrorLog::write(L"[脚本库] 「%ls」回放结束：%ls", library_.runningName.c_str(), how);
    library_.running = -1;
    library_.runningName.clear();
}

void MainWindow::libraryCommand()
{
    if (!library_.active) {
        return;  // an unattended playback neither reads nor writes the library
    }
    LibraryDialogCalls calls;
    calls.ownKeys = ownKeysOf(hotkeyChordsOf(settings_));
    calls.save = [](const Library& library, std::wstring& error) { return saveLibrary(library, error); };
    Recorder& recorder = recorder_;
    calls.pauseHotkeys = [&recorder](bool paused) { recorder.pauseHotkeys(paused); };
    calls.changed = [this](const Library& library) {
        library_.library = library;
        applyLibrary();
    };
    calls.runNow = [this](size_t index) {
        if (index < library_.library.entries.size()) {
            runLibraryEntry(index, LibraryOrigin::Dialog, 0);
        }
    };
    calls.nextRun = [this](size_t index) -> std::optional<int64_t> {
        if (index >= library_.schedule.due.size() || !library_.schedule.due[index]) {
            return std::nullopt;
        }
        return localSecondOf(*library_.schedule.due[index], systemTimeZone());
    };
    runLibraryDialog(window_, library_.library, calls);
    refreshControls();
}
