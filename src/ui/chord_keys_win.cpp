#include "ui/chord_keys_win.h"

#include "recorder/hotkey_chord.h"

namespace {

bool isDown(int virtualKey)
{
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

}  // namespace

bool isModifierKey(UINT virtualKey)
{
    switch (virtualKey) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN: return true;
    default: return false;
    }
}

uint8_t heldModifiers()
{
    uint8_t modifiers = 0;
    modifiers |= isDown(VK_CONTROL) ? kChordCtrl : 0;
    modifiers |= isDown(VK_MENU) ? kChordAlt : 0;
    modifiers |= isDown(VK_SHIFT) ? kChordShift : 0;
    modifiers |= isDown(VK_LWIN) || isDown(VK_RWIN) ? kChordWin : 0;
    return modifiers;
}

bool isDialogKey(UINT virtualKey)
{
    return (virtualKey == VK_TAB || virtualKey == VK_RETURN || virtualKey == VK_ESCAPE) &&
           (heldModifiers() & (kChordCtrl | kChordAlt | kChordWin)) == 0;
}

void dropCharacterMessages(HWND field)
{
    MSG pending;
    while (PeekMessageW(&pending, field, WM_CHAR, WM_SYSDEADCHAR, PM_REMOVE)) {
    }
}
