#pragma once
// The keys of a field that takes a hotkey chord by pressing it (the settings dialog, the script
// library's entry dialog): which keys are modifiers, which modifiers are held now, and which
// keys keep their meaning in a dialog.

#include <cstdint>
#include <string>
#include <windows.h>

#include "recorder/hotkey_chord.h"

bool isModifierKey(UINT virtualKey);
// The modifiers held now (kChordCtrl, kChordAlt, kChordShift, kChordWin), as the keyboard state of
// this thread has them.
uint8_t heldModifiers();
// A plain Tab, Enter or Esc (Shift may be down) moves the focus or closes the dialog as in every
// dialog; a chord field takes every other key.
bool isDialogKey(UINT virtualKey);
// The character messages that TranslateMessage made of the key just taken: they would type into
// the field, beep, or choose a mnemonic (Alt+R would jump to another field).
void dropCharacterMessages(HWND field);

// A field that takes key presses instead of text: every key that is not one of the dialog's goes to
// keyDown and keyUp (with the message's key data); nothing typed, pasted or undone reaches the
// field, a lone Alt opens no menu, and no context menu opens on it. The calls outlive the field.
struct KeyTakingField {
    void (*keyDown)(HWND field, void* context, UINT virtualKey, LPARAM keyData) = nullptr;
    void (*keyUp)(HWND field, void* context, UINT virtualKey, LPARAM keyData) = nullptr;
    bool (*isDialogKey)(UINT virtualKey) = nullptr;  // the keys left to the dialog
    void* context = nullptr;
};
void takeKeysInField(HWND field, KeyTakingField& calls);

// A field where a chord is chosen by pressing it: it shows the chord ("（无）" for none), the
// modifiers alone while only they are held; the dialog keys (isDialogKey) keep their meaning.
// chord: where the chosen chord goes, which outlives the field. clearable: a lone Backspace clears
// the chord (otherwise it is a key like another).
struct ChordField {
    HotkeyChord* chord = nullptr;
    bool clearable = false;
    KeyTakingField keys;  // set by makeChordField
};
void makeChordField(HWND field, ChordField& target);
// "（无）" for no chord, otherwise its text ("Ctrl+F10").
std::wstring chordDisplay(const HotkeyChord& chord);
