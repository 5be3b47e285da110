#pragma once
// The thread that writes one window instance's recovery journal. The window only hands it work
// (a snapshot body it encoded, the start and end of a recording, the removal); every file call
// happens here, never on the window's thread or the input hook thread. While a recording runs it
// pulls the newly captured events itself, every second, appends them as one record and flushes
// them to the disk, so a crash, a kill or a power cut loses at most about the last second.
// While the journal exists the instance holds a lock file beside it (deleted when the process
// ends, however it ends), which tells a later start that the journal is not an orphan.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>
#include <windows.h>

#include "base/thread.h"
#include "base/win_owners.h"
#include "script/event_window.h"
#include "script/macro_event.h"

// Where a running recording's events come from: appends the events from firstEvent on and the
// window-table entries from firstWindow on (called on the journal's thread; it must only copy).
struct RecordingSource {
    void* context = nullptr;
    void (*pull)(void* context, size_t firstEvent, size_t firstWindow, std::vector<MacroEvent>& events,
                 std::vector<WindowIdentity>& windows) = nullptr;
};

// The longest a recording's events wait before the journal holds them.
constexpr DWORD kJournalPullMs = 1000;

class JournalWriter {
public:
    // folder: the recovery folder (created when needed); stem: this instance's journal name.
    JournalWriter(std::wstring folder, const std::string& stem);
    // Writes what was handed over, then ends the thread.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // The journal becomes this snapshot (a body of beginSnapshotBody and appendEventBytes). A
    // snapshot handed over while an earlier one waits takes its place. removeAfter: a file to
    // delete once the snapshot is on the disk (the journal recovered events came from).
    void writeSnapshot(std::string&& body, const std::wstring& removeAfter = {});
    // A recording starts on an empty script: the journal starts afresh and takes the events from
    // source until endRecording.
    void beginRecording(RecordingSource source);
    void endRecording();
    // Nothing is unsaved any more: the journal goes (and alsoRemove with it, when given).
    void remove(const std::wstring& alsoRemove = {});
    // Waits at most the given time until everything handed over so far is done.
    bool waitUntilDone(DWORD milliseconds);

    const std::wstring& path() const { return path_; }

private:
    enum class JobKind { Snapshot, BeginRecording, EndRecording, Remove };
    struct Job {
        JobKind kind = JobKind::Remove;
        std::string body;
        std::vector<std::wstring> removeAfter;
        RecordingSource source;
    };

    void hand(Job&& job);
    void run();
    void doJob(Job& job);
    bool placeSnapshot(const std::string& body);
    void appendRecorded();
    bool takeLock();
    void closeAppend();
    // Logs a failure once until the next success.
    void noteFailure(const wchar_t* what, DWORD error);

    const std::wstring folder_;
    const std::wstring path_;
    const std::wstring lockPath_;

    // Shared with the thread, guarded by lock_.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::deque<Job> jobs_;
    bool quit_ = false;
    uint64_t handed_ = 0;
    uint64_t done_ = 0;

    // The thread's own.
    FileHandle lockFile_;
    FileHandle append_;
    RecordingSource source_;
    bool recording_ = false;
    size_t eventsWritten_ = 0;
    size_t windowsWritten_ = 0;
    bool failing_ = false;

    Thread thread_;  // last: it ends before the members it uses go
};
