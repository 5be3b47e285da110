#include "recovery/journal_writer_win.h"

#include <utility>

#include "base/atomic_file.h"
#include "base/error_log.h"
#include "base/text_encoding.h"
#include "recovery/journal_files.h"
#include "recovery/journal_records.h"

namespace {

bool writeAll(HANDLE file, const char* bytes, size_t size)
{
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size < (1u << 24) ? size : (1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

}  // namespace

JournalWriter::JournalWriter(std::wstring folder, const std::string& stem)
    : folder_(std::move(folder)), path_(folder_ + L"\\" + utf8ToWide(journalFileName(stem))),
      lockPath_(folder_ + L"\\" + utf8ToWide(journalLockName(stem)))
{
    if (!thread_.start([this] { run(); })) {
        ErrorLog::write(L"[恢复] 无法启动恢复日志线程");
    }
}

JournalWriter::~JournalWriter()
{
    {
        ExclusiveLock hold(lock_);
        quit_ = true;
    }
    WakeAllConditionVariable(&changed_);
    thread_.join();
}

void JournalWriter::writeSnapshot(std::string&& body, const std::wstring& removeAfter)
{
    Job job;
    job.kind = JobKind::Snapshot;
    job.body = std::move(body);
    if (!removeAfter.empty()) {
        job.removeAfter.push_back(removeAfter);
    }
    hand(std::move(job));
}

void JournalWriter::beginRecording(RecordingSource source)
{
    Job job;
    job.kind = JobKind::BeginRecording;
    job.source = source;
    hand(std::move(job));
}

void JournalWriter::endRecording()
{
    Job job;
    job.kind = JobKind::EndRecording;
    hand(std::move(job));
}

void JournalWriter::remove(const std::wstring& alsoRemove)
{
    Job job;
    if (!alsoRemove.empty()) {
        job.removeAfter.push_back(alsoRemove);
    }
    hand(std::move(job));
}

bool JournalWriter::waitUntilDone(DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    ExclusiveLock hold(lock_);
    while (done_ != handed_ && thread_.started()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        SleepConditionVariableSRW(&changed_, &lock_, static_cast<DWORD>(deadline - now), 0);
    }
    return done_ == handed_;
}

void JournalWriter::hand(Job&& job)
{
    {
        ExclusiveLock hold(lock_);
        ++handed_;
        // A snapshot that waits is replaced by a newer one: only the last state matters, and a
        // big document is not written twice in a row.
        if (job.kind == JobKind::Snapshot && !jobs_.empty() && jobs_.back().kind == JobKind::Snapshot) {
            Job& waiting = jobs_.back();
            job.removeAfter.insert(job.removeAfter.end(), waiting.removeAfter.begin(), waiting.removeAfter.end());
            waiting = std::move(job);
            ++done_;  // the replaced one counts as done
        } else {
            jobs_.push_back(std::move(job));
        }
    }
    WakeAllConditionVariable(&changed_);
}

void JournalWriter::run()
{
    ExclusiveLock hold(lock_);
    while (true) {
        if (jobs_.empty() && !quit_) {
            // While a recording runs the thread wakes every second to take its new events.
            SleepConditionVariableSRW(&changed_, &lock_, recording_ ? kJournalPullMs : INFINITE, 0);
        }
        std::deque<Job> jobs;
        jobs.swap(jobs_);
        const bool quit = quit_;
        ReleaseSRWLockExclusive(&lock_);
        for (Job& job : jobs) {
            doJob(job);
        }
        if (recording_) {
            appendRecorded();
        }
        AcquireSRWLockExclusive(&lock_);
        done_ += jobs.size();
        WakeAllConditionVariable(&changed_);
        if (quit && jobs_.empty()) {
            closeAppend();
            return;
        }
    }
}

void JournalWriter::doJob(Job& job)
{
    switch (job.kind) {
    case JobKind::Snapshot:
        if (placeSnapshot(job.body)) {
            for (const std::wstring& old : job.removeAfter) {
                DeleteFileW(old.c_str());
            }
        }
        break;
    case JobKind::BeginRecording:
        // Events are pulled from the first on: the snapshot of the empty script starts the file.
        recording_ = placeSnapshot(snapshotBody({}, ScriptContents{}));
        source_ = job.source;
        eventsWritten_ = 0;
        windowsWritten_ = 0;
        if (recording_) {
            append_.reset(CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            recording_ = static_cast<bool>(append_);
            if (!recording_) {
                noteFailure(L"打开", GetLastError());
            }
        }
        break;
    case JobKind::EndRecording:
        recording_ = false;
        closeAppend();
        break;
    case JobKind::Remove:
        recording_ = false;
        closeAppend();
        DeleteFileW(path_.c_str());
        for (const std::wstring& old : job.removeAfter) {
            DeleteFileW(old.c_str());
        }
        break;
    }
}

bool JournalWriter::placeSnapshot(const std::string& body)
{
    closeAppend();
    if (!takeLock()) {
        return false;
    }
    // Written beside the journal and put in its place in one step: a crash meanwhile leaves the
    // previous journal whole.
    std::wstring temporary;
    FileStream file(createTemporaryBeside(path_, temporary));
    if (!file) {
        noteFailure(L"创建", lastSystemError());
        return false;
    }
    const auto header = recordHeader(body);
    const bool written = std::fwrite(kJournalHead.data(), 1, kJournalHead.size(), file.get()) == kJournalHead.size() &&
                         std::fwrite(header.data(), 1, header.size(), file.get()) == header.size() &&
                         std::fwrite(body.data(), 1, body.size(), file.get()) == body.size() && commitFile(file.get());
    const DWORD writeError = lastSystemError();
    const bool closed = std::fclose(file.release()) == 0;
    unsigned long placeError = 0;
    if (!written || !closed || !placeFile(temporary, path_, FinalName::Replace, placeError)) {
        removeFile(temporary);
        noteFailure(L"写入", written ? placeError : writeError);
        return false;
    }
    failing_ = false;
    return true;
}

void JournalWriter::appendRecorded()
{
    std::vector<MacroEvent> events;
    std::vector<WindowIdentity> windows;
    source_.pull(source_.context, eventsWritten_, windowsWritten_, events, windows);
    if (events.empty() && windows.empty()) {
        return;
    }
    const std::string body = eventsBody(windowsWritten_, windows, events);
    const auto header = recordHeader(body);
    // The record is flushed through to the disk before the next one: a power cut loses at most
    // the last pull's events, and a record cut short by it is ignored when the journal is read.
    if (!writeAll(append_.get(), header.data(), header.size()) || !writeAll(append_.get(), body.data(), body.size()) ||
        !FlushFileBuffers(append_.get())) {
        noteFailure(L"追加", GetLastError());
        // What follows a torn record would never be read: this recording journals no more.
        recording_ = false;
        closeAppend();
        return;
    }
    failing_ = false;
    eventsWritten_ += events.size();
    windowsWritten_ += windows.size();
}

bool JournalWriter::takeLock()
{
    if (lockFile_) {
        return true;
    }
    CreateDirectoryW(folder_.substr(0, folder_.find_last_of(L'\\')).c_str(), nullptr);
    CreateDirectoryW(folder_.c_str(), nullptr);
    // Shared with nobody and deleted by the system when the process ends, however it ends: a later
    // start that cannot open it knows the journal's instance still runs.
    lockFile_.reset(CreateFileW(lockPath_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!lockFile_) {
        noteFailure(L"锁定", GetLastError());
    }
    return static_cast<bool>(lockFile_);
}

void JournalWriter::closeAppend()
{
    append_.reset();
}

void JournalWriter::noteFailure(const wchar_t* what, DWORD error)
{
    if (!failing_) {
        ErrorLog::write(L"[恢复] 恢复日志%ls失败 err=%lu：%ls", what, static_cast<unsigned long>(error), path_.c_str());
    }
    failing_ = true;
}
