#pragma once
// The clipboard's plain text (CF_UNICODETEXT), behind a seam that tests replace.

#include <string>
#include <windows.h>

struct ClipboardSeam {
    // Puts text on the clipboard in place of what it held; false when the clipboard is busy.
    bool (*put)(HWND owner, const std::wstring& text) = nullptr;
    // The clipboard's text; false when it holds none.
    bool (*get)(HWND owner, std::wstring& text) = nullptr;
};
extern ClipboardSeam clipboardSeam;  // the system clipboard unless a test replaced it

bool putClipboardText(HWND owner, const std::wstring& text);
bool getClipboardText(HWND owner, std::wstring& text);
