#pragma once
// Steps on the clipboard: the text of a script file holding them (the same JSON a save writes,
// with the windows they use), so a copied block can be pasted into a text editor, mailed, or
// pasted into another run of the program, and a pasted text is read as a loaded file would be.

#include <string>

#include "script/script_document.h"

// The script file text of the steps (and of the windows of the table that they use).
std::string stepsClipboardText(const ScriptContents& steps);

// The steps of a clipboard text: false with error when it is no script, or one without steps.
bool readStepsClipboardText(const std::string& text, ScriptContents& steps, std::wstring& error);
