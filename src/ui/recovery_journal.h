#pragma once
// The recovery journal of the window's unsaved work: follows the document from the window's state
// function and hands the journal's thread what to write. While a recording runs the thread takes
// the events itself; after an edit the document is encoded here, on the window's thread, a slice
// of at most about 15 ms at a time from a timer of its own, a couple of seconds after the last
// change, so neither a burst of edits nor a big document stalls the window.

#include <cstdint>
#include <memory>
#include <string>
#include <windows.h>

#include "base/win_owners.h"
#include "recovery/journal_writer_win.h"

class Recorder;
class ScriptDocument;

class DocumentJournal {
public:
    DocumentJournal(const ScriptDocument& document, Recorder& recorder) : document_(document), recorder_(recorder) {}
    // Finishes what was handed to the thread (the journal stays: the window was not closed).
    ~DocumentJournal() = default;
    DocumentJournal(const DocumentJournal&) = delete;
    DocumentJournal& operator=(const DocumentJournal&) = delete;

    // Journals from now on, into folder under stem (off until then: an unattended playback and a
    // window in a test keep none).
    void enable(const std::wstring& folder, const std::string& stem);
    bool enabled() const { return !folder_.empty(); }
    // After every change of the window's state (from its one state function).
    void follow(bool recording);
    // The window closes, and what it did not save is not wanted: the journal goes, and so does
    // the one recovered events came from.
    void closeWithoutKeeping();
    // Recovered events are shown: journalled at once under this instance's name; the journal they
    // came from goes once this one holds them.
    void adoptRecovered(const std::wstring& oldJournal);
    // Waits (tests, benchmarks) until the snapshot being encoded and everything handed over is
    // written, pumping the timer's messages meanwhile.
    bool waitUntilWritten(DWORD milliseconds);
    // The longest slice of the last snapshot's encoding on the window's thread, in seconds.
    double longestSlice() const { return longestSlice_; }
    // The journal's file (empty while off).
    std::wstring path() const { return writer_ ? writer_->path() : std::wstring(); }

private:
    static LRESULT CALLBACK TimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void pullRecorded(void* context, size_t firstEvent, size_t firstWindow, std::vector<MacroEvent>& events,
                             std::vector<WindowIdentity>& windows);
    bool worthKeeping() const;
    void arm(UINT milliseconds);
    void disarm();
    void onTimer();
    // Encodes a slice of the document; true when the snapshot is complete.
    bool encodeSlice();
    void removeJournal();

    const ScriptDocument& document_;
    Recorder& recorder_;
    std::wstring folder_;
    std::string stem_;
    std::unique_ptr<JournalWriter> writer_;
    WindowHandle timerWindow_;
    bool closed_ = false;
    bool wasRecording_ = false;
    bool hasJournal_ = false;
    std::wstring removeAfter_;  // the journal recovered events came from
    uint64_t journalled_ = 0;   // the generation the journal holds (or is being written)
    bool armed_ = false;
    bool dueAtOnce_ = false;      // after a recording or a recovery: written without the quiet wait
    ULONGLONG pendingSince_ = 0;  // when the first change not yet journalled was seen
    // The snapshot being encoded.
    bool encoding_ = false;
    uint64_t encodingGeneration_ = 0;
    size_t encoded_ = 0;
    std::string body_;
    double longestSlice_ = 0.0;
};
