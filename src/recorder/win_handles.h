#pragma once
// Owners for the kernel and hook handles of the recorder.

#include <windows.h>

// A kernel handle (thread, event) closed by its owner; null when empty.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    void reset(HANDLE h = nullptr)
    {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
        handle = h;
    }

private:
    HANDLE handle = nullptr;
};

// A low-level hook, removed by its owner. Only the input hook thread installs and removes them.
class HookHandle {
public:
    HookHandle() = default;
    ~HookHandle() { reset(); }
    HookHandle(const HookHandle&) = delete;
    HookHandle& operator=(const HookHandle&) = delete;

    HHOOK get() const { return hook; }
    explicit operator bool() const { return hook != nullptr; }
    void reset(HHOOK h = nullptr)
    {
        if (hook != nullptr) {
            UnhookWindowsHookEx(hook);
        }
        hook = h;
    }

private:
    HHOOK hook = nullptr;
};
