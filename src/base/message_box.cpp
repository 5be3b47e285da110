#include "base/message_box.h"

MessageBoxFn messageBoxSeam = &MessageBoxW;

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return messageBoxSeam(owner, text, caption, type);
}
