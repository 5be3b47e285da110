#include "ui/recovery_journal.h"

#include <algorithm>

#include "base/performance_clock.h"
#include "recorder/recorder.h"
#include "recovery/journal_records.h"
#include "script/script_document.h"

namespace {

constexpr wchar_t kTimerClassName[] = L"LorminRecorderJournalTimer";
constexpr UINT_PTR kTimerId = 1;
// Quiet after the last change before the document is written: a burst of edits writes once.
constexpr UINT kQuietMs = 2000;
// A stream of changes without a pause is written at least this often all the same.
constexpr ULONGLONG kLongestWaitMs = 10000;
// The window's thread encodes for at most about this long before it answers its messages again.
constexpr double kSliceSeconds = 0.015;

}  // namespace

void DocumentJournal::enable(const std::wstring& folder, const std::string& stem)
{
    if (folder.empty() || closed_) {
        return;
    }
    folder_ = folder;
    stem_ = stem;
}

bool DocumentJournal::worthKeeping() const
{
    // An empty script is not worth a question (closing the window asks nothing about it either).
    return document_.isUnsaved() && !document_.empty();
}

void DocumentJournal::follow(bool recording)
{
    if (!enabled() || closed_) {
        return;
    }
    if (!writer_) {
        if (!recording && !worthKeeping()) {
            return;  // nothing to keep yet: no thread either
        }
        writer_ = std::make_unique<JournalWriter>(folder_, stem_);
    }
    if (recording) {
        if (!wasRecording_) {
            wasRecording_ = true;
            disarm();
            encoding_ = false;
            dueAtOnce_ = false;
            writer_->beginRecording(RecordingSource{&recorder_, &DocumentJournal::pullRecorded});
            hasJournal_ = true;
        }
        return;
    }
    if (wasRecording_) {
        // The recording's events are in the journal but for the last second and for what its
        // stop took out: the script it ended with is written at once.
        wasRecording_ = false;
        writer_->endRecording();
        journalled_ = document_.generation() - 1;
        if (worthKeeping()) {
            dueAtOnce_ = true;
            arm(1);
            return;
        }
    }
    if (!worthKeeping()) {
        disarm();
        encoding_ = false;
        dueAtOnce_ = false;
        removeJournal();
        journalled_ = document_.generation();
        return;
    }
    if (dueAtOnce_ || document_.generation() == journalled_ ||
        (encoding_ && document_.generation() == encodingGeneration_)) {
        return;
    }
    const ULONGLONG now = GetTickCount64();
    if (!armed_) {
        pendingSince_ = now;
    }
    // Every change pushes the write back, up to a limit.
    if (now - pendingSince_ < kLongestWaitMs) {
        arm(kQuietMs);
    }
}

void DocumentJournal::closeWithoutKeeping()
{
    if (closed_) {
        return;
    }
    disarm();
    encoding_ = false;
    removeJournal();
    closed_ = true;
    writer_.reset();  // waits for the removal
    timerWindow_.reset();
}

void DocumentJournal::adoptRecovered(const std::wstring& oldJournal)
{
    if (!enabled() || closed_) {
        return;
    }
    removeAfter_ = oldJournal;
    journalled_ = document_.generation() - 1;
    dueAtOnce_ = true;
    if (!writer_) {
        writer_ = std::make_unique<JournalWriter>(folder_, stem_);
    }
    arm(1);
}

bool DocumentJournal::waitUntilWritten(DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (armed_ && GetTickCount64() < deadline) {
        MSG message;
        while (PeekMessageW(&message, timerWindow_.get(), 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(1);
    }
    const ULONGLONG now = GetTickCount64();
    return !armed_ && (!writer_ || writer_->waitUntilDone(static_cast<DWORD>(now < deadline ? deadline - now : 0)));
}

LRESULT CALLBACK DocumentJournal::TimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<DocumentJournal*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DocumentJournal*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && wParam == kTimerId && self != nullptr) {
        self->onTimer();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void DocumentJournal::pullRecorded(void* context, size_t firstEvent, size_t firstWindow,
                                   std::vector<MacroEvent>& events, std::vector<WindowIdentity>& windows)
{
    auto* recorder = static_cast<Recorder*>(context);
    // Events first: every window they point to was added to the table before them.
    recorder->copyCapturedFrom(firstEvent, events);
    std::vector<WindowIdentity> all = recorder->copyCapturedWindows();
    if (all.size() > firstWindow) {
        windows.assign(all.begin() + static_cast<std::ptrdiff_t>(firstWindow), all.end());
    }
}

void DocumentJournal::arm(UINT milliseconds)
{
    if (!timerWindow_) {
        static const bool registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &DocumentJournal::TimerProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kTimerClassName;
            return RegisterClassW(&windowClass) != 0;
        }();
        (void)registered;
        // A message-only window: its timer runs through the window thread's message loop (and
        // through the loops of the window's dialogs and boxes).
        timerWindow_.reset(CreateWindowExW(0, kTimerClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleW(nullptr), this));
    }
    armed_ = timerWindow_ && SetTimer(timerWindow_.get(), kTimerId, milliseconds, nullptr) != 0;
}

void DocumentJournal::disarm()
{
    if (armed_) {
        KillTimer(timerWindow_.get(), kTimerId);
        armed_ = false;
    }
}

void DocumentJournal::onTimer()
{
    if (closed_ || wasRecording_ || !worthKeeping()) {
        disarm();
        encoding_ = false;
        dueAtOnce_ = false;
        return;
    }
    if (encoding_ && document_.generation() != encodingGeneration_) {
        // Changed between two slices: start again at once (after a recording, a recovery) or
        // once it is quiet.
        encoding_ = false;
        arm(dueAtOnce_ ? 1 : kQuietMs);
        return;
    }
    if (!encoding_) {
        encoding_ = true;
        encodingGeneration_ = document_.generation();
        encoded_ = 0;
        longestSlice_ = 0.0;
        body_.clear();
        // Room for the whole body at once: growing it would copy it within one slice.
        body_.reserve(64 + document_.eventCount() * 72);
        beginSnapshotBody(body_, document_.sourceFile(), document_.windows(), document_.eventCount());
    }
    if (!encodeSlice()) {
        arm(1);  // the next slice after the messages that wait
        return;
    }
    disarm();
    encoding_ = false;
    dueAtOnce_ = false;
    journalled_ = encodingGeneration_;
    writer_->writeSnapshot(std::move(body_), removeAfter_);
    body_ = std::string();
    removeAfter_.clear();
    hasJournal_ = true;
}

bool DocumentJournal::encodeSlice()
{
    const double start = performanceSeconds();
    const std::vector<MacroEvent>& events = document_.events();
    constexpr size_t kEventsBetweenClockReads = 512;
    while (encoded_ < events.size()) {
        const size_t end = std::min(events.size(), encoded_ + kEventsBetweenClockReads);
        for (; encoded_ < end; ++encoded_) {
            appendEventBytes(body_, events[encoded_]);
        }
        if (performanceSeconds() - start >= kSliceSeconds) {
            break;
        }
    }
    longestSlice_ = std::max(longestSlice_, performanceSeconds() - start);
    return encoded_ == events.size();
}

void DocumentJournal::removeJournal()
{
    if (hasJournal_ || !removeAfter_.empty()) {
        if (!writer_) {
            writer_ = std::make_unique<JournalWriter>(folder_, stem_);
        }
        writer_->remove(removeAfter_);
        hasJournal_ = false;
        removeAfter_.clear();
    }
}
