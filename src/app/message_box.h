#pragma once
// Every message box and file dialog of the program goes through these seams, so that tests can
// answer them. The program leaves them at their defaults (the real Windows calls).

#include <string>
#include <windows.h>

using ShowMessageBoxFn = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
extern ShowMessageBoxFn showMessageBox;  // defaults to MessageBoxW

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
