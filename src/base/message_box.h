#pragma once
// Every message box of the program goes through this seam, so that tests can answer them. The
// program leaves it at its default (the real Windows call).

#include <windows.h>

using MessageBoxFn = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
extern MessageBoxFn messageBoxSeam;  // defaults to MessageBoxW

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
