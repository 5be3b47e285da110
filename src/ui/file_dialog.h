#pragma once
// The save and open dialogs of the script commands, behind a seam that tests answer.

#include <string>
#include <windows.h>

enum class ScriptDialog { Save, Open };

// Shows the dialog owned by owner; true with the full chosen path, false when cancelled. A path
// given in is proposed in the dialog's name field.
using ChooseScriptPathFn = bool (*)(HWND owner, ScriptDialog dialog, std::wstring& path);
extern ChooseScriptPathFn chooseScriptPathSeam;  // defaults to showScriptFileDialog

bool showScriptFileDialog(HWND owner, ScriptDialog dialog, std::wstring& path);
