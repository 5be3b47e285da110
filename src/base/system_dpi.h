#pragma once
// The DPI of the screen and of a window, and the system functions newer than the oldest Windows
// the program runs on, looked up at run time.

#include <windows.h>

// A function of a system module (already loaded), or null where this Windows has none.
template <typename Fn>
Fn systemFunction(const wchar_t* module, const char* name)
{
    const HMODULE handle = GetModuleHandleW(module);
    return handle != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

// The screen's DPI (LOGPIXELSX), made sane.
int screenDpi();
// The window's own DPI (GetDpiForWindow where the system has it), else the screen's; made sane.
int windowDpi(HWND window);
