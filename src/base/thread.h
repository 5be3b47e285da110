#pragma once
// The one way the program starts a thread and waits for it.

#include <functional>
#include <utility>
#include <windows.h>

#include "base/win_owners.h"

// How a thread is started: _beginthreadex unless a test replaced it (to see how the program copes
// when the system has no thread to give, return null). Returns the thread's handle.
using StartThreadFn = HANDLE (*)(unsigned(__stdcall* procedure)(void*), void* argument, unsigned* threadId);
extern StartThreadFn startThreadSeam;

class Thread {
public:
    Thread() = default;
    // Waits for a thread still held: a thread must not outlive what it uses. An owner that means
    // to leave its thread running (a worker that holds its own share of the job) detaches it.
    ~Thread() { join(); }
    Thread(Thread&&) = default;
    Thread& operator=(Thread&& other) noexcept
    {
        if (this != &other) {
            join();
            handle_ = std::move(other.handle_);
            id_ = other.id_;
            other.id_ = 0;
        }
        return *this;
    }

    // Runs body on a new thread; false (and body never runs) when no thread could be started.
    // A thread still held is forgotten first.
    bool start(std::function<void()> body);
    // Waits at most the given time; true when the thread has ended or there is none.
    bool waitFor(DWORD milliseconds) const;
    // Waits for the end, then forgets the thread.
    void join();
    // Forgets the thread without waiting.
    void detach();

    bool started() const { return static_cast<bool>(handle_); }
    DWORD id() const { return id_; }
    bool isCurrent() const { return started() && id_ == GetCurrentThreadId(); }

private:
    KernelHandle handle_;
    DWORD id_ = 0;
};
