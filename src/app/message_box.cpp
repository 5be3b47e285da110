#include "app/message_box.h"

ShowMessageBoxFn showMessageBox = &MessageBoxW;

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return showMessageBox(owner, text, caption, type);
}
