#include "ui/clipboard_text.h"

#include <cstring>

#include "base/win_owners.h"

ClipboardSeam clipboardSeam{&putClipboardText, &getClipboardText};

bool putClipboardText(HWND owner, const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) {
        return false;
    }
    {
        const LockedMemory locked(memory.get());
        if (locked.get() == nullptr) {
            return false;
        }
        std::memcpy(locked.get(), text.c_str(), bytes);
    }
    const OpenedClipboard clipboard(owner);
    if (!clipboard || !EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
        return false;
    }
    // The clipboard owns the memory now.
    (void)memory.release();
    return true;
}

bool getClipboardText(HWND owner, std::wstring& text)
{
    const OpenedClipboard clipboard(owner);
    if (!clipboard) {
        return false;
    }
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const LockedMemory locked(data);
    if (locked.get() == nullptr) {
        return false;
    }
    const auto* units = static_cast<const wchar_t*>(locked.get());
    const size_t most = GlobalSize(data) / sizeof(wchar_t);
    size_t length = 0;
    while (length < most && units[length] != L'\0') {
        ++length;
    }
    text.assign(units, length);
    return true;
}
