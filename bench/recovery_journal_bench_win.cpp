// What the recovery journal costs. (1) A recording's CPU time with the journal's thread taking
// its events every second against the same recording without it (the yardstick), at a pace of
// 1000 events a second (ten times a busy user's) and at full speed; the capture steps run the
// recorder's real code with its window lookups, as the hook thread does. (2) How long the window's
// thread is held by the journal of a 1 000 000-event document, whose snapshot it encodes in
// slices, against encoding it in one go and against only copying the events (the yardsticks).
//
// Run under wine on a display with the build's prefix, for example:
//   wine build/windows/bench/recovery_journal_bench.exe
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

#include "base/performance_clock.h"
#include "recorder/now_seconds.h"
#include "recorder/recorder.h"
#include "recovery/journal_records.h"
#include "recovery/journal_writer_win.h"
#include "script/script_document.h"
#include "ui/recovery_journal.h"

namespace {

double clockOffset = 0.0;
// Every move lies outside the recorder's 20 ms throttle, so each one is recorded.
double steppedClock()
{
    clockOffset += 0.025;
    return performanceSeconds() + clockOffset;
}

double processCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return static_cast<double>(static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

void drain(HWND window)
{
    MSG message;
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
    }
}

void pullFromRecorder(void* context, size_t firstEvent, size_t firstWindow, std::vector<MacroEvent>& events,
                      std::vector<WindowIdentity>& windows)
{
    auto* recorder = static_cast<Recorder*>(context);
    recorder->copyCapturedFrom(firstEvent, events);
    const std::vector<WindowIdentity> all = recorder->copyCapturedWindows();
    if (all.size() > firstWindow) {
        windows.assign(all.begin() + static_cast<std::ptrdiff_t>(firstWindow), all.end());
    }
}

// One recording of `events` events (moves, clicks and keys in turn), `perSecond` of them a second
// (0: as fast as they go); returns the process's CPU seconds.
double recordOnce(Recorder& recorder, HWND receiver, const std::wstring& folder, bool journal, int events,
                  int perSecond)
{
    recorder.startRecording(true, true);
    std::unique_ptr<JournalWriter> writer;
    if (journal) {
        writer = std::make_unique<JournalWriter>(folder, "20261210-000000-000-0000beef");
        writer->beginRecording(RecordingSource{&recorder, &pullFromRecorder});
    }
    MSLLHOOKSTRUCT mouse{};
    mouse.pt = POINT{400, 300};
    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    const double cpuStart = processCpuSeconds();
    const double start = performanceSeconds();
    for (int i = 0; i < events; ++i) {
        switch (i % 4) {
        case 0:
            mouse.pt.x = 300 + (i & 127);
            recorder.onMouseHook(WM_MOUSEMOVE, mouse);
            break;
        case 1: recorder.onMouseHook(WM_LBUTTONDOWN, mouse); break;
        case 2: recorder.onMouseHook(WM_LBUTTONUP, mouse); break;
        default: recorder.onKeyboardHook(i % 8 == 3 ? WM_KEYDOWN : WM_KEYUP, key); break;
        }
        if (i % 256 == 0) {
            drain(receiver);
        }
        if (perSecond > 0) {
            const double due = start + static_cast<double>(i + 1) / perSecond;
            const double now = performanceSeconds();
            if (due > now + 0.002) {
                Sleep(static_cast<DWORD>((due - now) * 1000));
            }
        }
    }
    Sleep(1100);  // the journal's last pull inside the measured time (and the same idle time without it)
    const double cpu = processCpuSeconds() - cpuStart;
    recorder.stopRecording();
    if (writer) {
        writer->remove();
        writer.reset();
    }
    recorder.takeCaptured();
    drain(receiver);
    return cpu;
}

void recordingCost(const std::wstring& folder)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LrJournalBenchReceiver";
    RegisterClassW(&windowClass);
    HWND receiver = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    Recorder recorder;
    if (receiver == nullptr || !recorder.startHookThread(receiver) || recorder.hookState() != HookState::Installed) {
        std::printf("hooks could not be installed\n");
        return;
    }
    const CaptureClockFn original = captureClockSeam;
    captureClockSeam = &steppedClock;
    const struct {
        const char* name;
        int events;
        int perSecond;
    } cases[] = {{"1000 events a second for 8 s", 8000, 1000}, {"40 000 events at full speed", 40000, 0}};
    for (const auto& c : cases) {
        std::vector<double> without, with;
        for (int round = 0; round < 3; ++round) {
            without.push_back(recordOnce(recorder, receiver, folder, false, c.events, c.perSecond));
            with.push_back(recordOnce(recorder, receiver, folder, true, c.events, c.perSecond));
        }
        std::sort(without.begin(), without.end());
        std::sort(with.begin(), with.end());
        std::printf("recording, %-30s CPU without journal %7.3f s, with %7.3f s (medians of 3): %.3fx\n", c.name,
                    without[1], with[1], with[1] / without[1]);
    }
    captureClockSeam = original;
    recorder.stopHookThread();
    DestroyWindow(receiver);
}

void snapshotStall(const std::wstring& folder)
{
    constexpr size_t kEvents = 1000000;
    ScriptContents contents;
    contents.windows.push_back({"notepad.exe", "Notepad", "无标题 - 记事本"});
    contents.events.reserve(kEvents);
    for (size_t i = 0; i < kEvents; ++i) {
        MacroEvent event;
        event.kind = i % 3 == 0 ? EventKind::KeyDown : EventKind::Move;
        event.delay = 0.016;
        event.x = static_cast<int32_t>(i % 1920);
        event.y = static_cast<int32_t>(i % 1080);
        event.keyOrText = i % 3 == 0 ? "A" : "";
        event.window.index = i % 3 == 0 ? 0 : kNoWindow;
        contents.events.push_back(event);
    }
    double start = performanceSeconds();
    const std::vector<MacroEvent> copy = contents.events;
    const double copySeconds = performanceSeconds() - start;
    start = performanceSeconds();
    const std::string body = snapshotBody("C:\\big.json", contents);
    const double oneGoSeconds = performanceSeconds() - start;

    Recorder recorder;
    ScriptDocument document;
    document.replace(std::move(contents));
    document.setSourceFile("C:\\big.json");
    DocumentJournal journal(document, recorder);
    journal.enable(folder, "20261210-000000-000-0000cafe");
    document.trimFirstDelay();  // an edit: unsaved
    journal.follow(false);
    start = performanceSeconds();
    const bool written = journal.waitUntilWritten(120000);
    const double writtenSeconds = performanceSeconds() - start;
    std::printf("1 000 000-event document (%.1f MB journal): %s\n", body.size() / 1e6,
                written ? "written" : "NOT WRITTEN");
    std::printf("  window thread held at most %6.1f ms at a time (sliced)\n", journal.longestSlice() * 1000);
    std::printf("  yardstick: encoding it in one go  %6.1f ms (%.1fx the longest slice)\n", oneGoSeconds * 1000,
                oneGoSeconds / journal.longestSlice());
    std::printf("  yardstick: copying its events     %6.1f ms (%.1fx the longest slice)\n", copySeconds * 1000,
                copySeconds / journal.longestSlice());
    std::printf("  from the change to the journal on the disk: %.2f s (2 s of it the quiet wait)\n", writtenSeconds);
    journal.closeWithoutKeeping();
}

}  // namespace

int wmain()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"lr_journal_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    snapshotStall(folder);
    recordingCost(folder);
    return 0;
}
