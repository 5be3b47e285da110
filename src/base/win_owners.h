#pragma once
// The owners of every Windows handle, GDI object, file and lock of the program. Every file uses
// these; none writes its own.

#include <windows.h>
#include <bcrypt.h>
#include <objbase.h>
#include <shellapi.h>
#include <winhttp.h>

#include "base/owned.h"

namespace OwnedClose {
inline void closeAlgorithm(BCRYPT_ALG_HANDLE algorithm)
{
    BCryptCloseAlgorithmProvider(algorithm, 0);
}
template <typename T>
void releaseCom(T* object)
{
    object->Release();
}
}  // namespace OwnedClose

// Kernel objects whose empty value is null: threads, events, processes.
using KernelHandle = Owned<HANDLE, &CloseHandle>;
// File handles of CreateFileW, whose empty value is INVALID_HANDLE_VALUE.
using FileHandle = Owned<HANDLE, &CloseHandle, -1>;
// Searches of FindFirstFileW, whose empty value is INVALID_HANDLE_VALUE too.
using FindHandle = Owned<HANDLE, &FindClose, -1>;
using HookHandle = Owned<HHOOK, &UnhookWindowsHookEx>;
using InternetHandle = Owned<HINTERNET, &WinHttpCloseHandle>;
using WindowHandle = Owned<HWND, &DestroyWindow>;
using MenuHandle = Owned<HMENU, &DestroyMenu>;
using FontHandle = Owned<HFONT, &DeleteObject>;
using BrushHandle = Owned<HBRUSH, &DeleteObject>;
using PenHandle = Owned<HPEN, &DeleteObject>;
using BitmapHandle = Owned<HBITMAP, &DeleteObject>;
using IconHandle = Owned<HICON, &DestroyIcon>;
using RegionHandle = Owned<HRGN, &DeleteObject>;
// Device contexts made with CreateCompatibleDC.
using MemoryDc = Owned<HDC, &DeleteDC>;
using AlgorithmHandle = Owned<BCRYPT_ALG_HANDLE, &OwnedClose::closeAlgorithm>;
using HashHandle = Owned<BCRYPT_HASH_HANDLE, &BCryptDestroyHash>;
using KeyHandle = Owned<BCRYPT_KEY_HANDLE, &BCryptDestroyKey>;
// A reference to a COM object (WIC's factory, decoders, streams), released once.
template <typename T>
using ComRef = Owned<T*, &OwnedClose::releaseCom<T>>;

// COM on the calling thread for one scope: uninitialised again only when this scope initialised
// it (a thread that already has COM in another mode keeps it and may still use WIC).
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

// Files dropped on a window (WM_DROPFILES), given back with DragFinish.
using DropHandle = Owned<HDROP, &DragFinish>;
// Global memory (the clipboard's data before SetClipboardData takes it over).
using GlobalMemory = Owned<HGLOBAL, &GlobalFree>;

// The clipboard, open for one scope (OpenClipboard), closed with CloseClipboard.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard()
    {
        if (open_) {
            CloseClipboard();
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// Locked global memory (GlobalLock), unlocked with GlobalUnlock.
class LockedMemory {
public:
    explicit LockedMemory(HGLOBAL memory) : memory_(memory), data_(memory != nullptr ? GlobalLock(memory) : nullptr) {}
    ~LockedMemory()
    {
        if (data_ != nullptr) {
            GlobalUnlock(memory_);
        }
    }
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;
    void* get() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

// The device context of a window (GetDC), given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The painting DC of a window's WM_PAINT (BeginPaint), ended with EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc()
    {
        if (dc_ != nullptr) {
            EndPaint(window_, &paint_);
        }
    }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on destruction (declare it after
// the owner of the object, so the object is deselected before it is deleted).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr)
    {}
    ~SelectedObject()
    {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Holds an SRW lock exclusively for one scope, waiting at most about the given time for it;
// held() tells whether it was taken.
class TimedExclusiveLock {
public:
    TimedExclusiveLock(SRWLOCK& lock, DWORD milliseconds) : lock_(lock)
    {
        for (DWORD waited = 0; !held_ && waited <= milliseconds; ++waited) {
            held_ = TryAcquireSRWLockExclusive(&lock_) != FALSE;
            if (!held_) {
                Sleep(1);
            }
        }
    }
    ~TimedExclusiveLock()
    {
        if (held_) {
            ReleaseSRWLockExclusive(&lock_);
        }
    }
    TimedExclusiveLock(const TimedExclusiveLock&) = delete;
    TimedExclusiveLock& operator=(const TimedExclusiveLock&) = delete;
    bool held() const { return held_; }

private:
    SRWLOCK& lock_;
    bool held_ = false;
};

// Holds an SRW lock exclusively for one scope.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};
