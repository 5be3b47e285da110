#include "ui/file_dialog.h"

#include <commdlg.h>
#include <shlobj.h>

ChooseScriptPathFn chooseScriptPathSeam = &showScriptFileDialog;

bool showScriptFileDialog(HWND owner, ScriptDialog dialog, std::wstring& path)
{
    // Pairs of description and pattern, the whole list ending in two zeros.
    static const wchar_t filter[] = L"宏脚本 (*.json)\0*.json\0所有文件 (*.*)\0*.*\0";
    // A name the caller proposes (recovered events: the file they came from) fills the name field.
    wchar_t fileName[MAX_PATH] = L"";
    if (path.size() < MAX_PATH) {
        path.copy(fileName, path.size());
        fileName[path.size()] = L'\0';
    }
    wchar_t desktop[MAX_PATH] = L"";
    const bool haveDesktop =
        SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)) &&
        desktop[0] != L'\0';

    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = fileName;
    request.nMaxFile = MAX_PATH;
    request.lpstrInitialDir = haveDesktop ? desktop : nullptr;
    request.lpstrDefExt = L"json";
    BOOL chosen = FALSE;
    if (dialog == ScriptDialog::Save) {
        request.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameW(&request);
    } else {
        request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
        chosen = GetOpenFileNameW(&request);
    }
    if (!chosen) {
        return false;
    }
    path = fileName;
    return true;
}
