#include "ui/chord_keys_win.h"

#include <commctrl.h>

#include "base/text_encoding.h"

namespace {

constexpr UINT_PTR kKeyTakingSubclass = 0x4b455953;  // "KEYS"

bool isDown(int virtualKey)
{
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

void showChord(HWND field, const HotkeyChord& chord)
{
    SetWindowTextW(field, chordDisplay(chord).c_str());
}

// The modifiers held so far, while the key of the chord has not come yet ("Ctrl+Shift+").
void showModifiers(HWND field, uint8_t modifiers)
{
    std::string text = chordText(HotkeyChord{0x41, modifiers});
    text.pop_back();  // the placeholder key
    SetWindowTextW(field, utf8ToWide(text).c_str());
}

void onChordKeyDown(HWND field, void* context, UINT virtualKey, LPARAM)
{
    ChordField& target = *static_cast<ChordField*>(context);
    const uint8_t modifiers = heldModifiers();
    if (isModifierKey(virtualKey)) {
        showModifiers(field, modifiers);
        return;
    }
    if (virtualKey == VK_BACK && modifiers == 0 && target.clearable) {
        *target.chord = HotkeyChord{};
    } else if (isHotkeyKey(virtualKey)) {
        *target.chord = HotkeyChord{static_cast<uint8_t>(virtualKey), modifiers};
    }
    showChord(field, *target.chord);
}

// A modifier let go without a key: the field shows its chord again.
void onChordKeyUp(HWND field, void* context, UINT virtualKey, LPARAM)
{
    if (isModifierKey(virtualKey) && heldModifiers() == 0) {
        showChord(field, *static_cast<ChordField*>(context)->chord);
    }
}

LRESULT CALLBACK keyTakingProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    const auto& calls = *reinterpret_cast<const KeyTakingField*>(data);
    switch (message) {
    case WM_GETDLGCODE: {
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending != nullptr && (pending->message == WM_KEYDOWN || pending->message == WM_SYSKEYDOWN) &&
            !calls.isDialogKey(static_cast<UINT>(pending->wParam))) {
            return DLGC_WANTALLKEYS | DLGC_WANTMESSAGE;
        }
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (calls.isDialogKey(static_cast<UINT>(wParam))) {
            break;
        }
        calls.keyDown(field, calls.context, static_cast<UINT>(wParam), lParam);
        dropCharacterMessages(field);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // A lone Alt release must not reach the default handling, which would open the system menu.
        calls.keyUp(field, calls.context, static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_CONTEXTMENU: return 0;
    case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        SendMessageW(field, EM_SETSEL, 0, -1);
        return result;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(field, &keyTakingProc, kKeyTakingSubclass); break;
    default: break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

}  // namespace

void takeKeysInField(HWND field, KeyTakingField& calls)
{
    SetWindowSubclass(field, &keyTakingProc, kKeyTakingSubclass, reinterpret_cast<DWORD_PTR>(&calls));
}

void makeChordField(HWND field, ChordField& target)
{
    target.keys = KeyTakingField{&onChordKeyDown, &onChordKeyUp, &isDialogKey, &target};
    showChord(field, *target.chord);
    takeKeysInField(field, target.keys);
}

std::wstring chordDisplay(const HotkeyChord& chord)
{
    return chord.empty() ? std::wstring(L"（无）") : utf8ToWide(chordText(chord));
}

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
