#include "ui/delay_dialog.h"

#include <string>
#include <vector>

#include "base/dialog_template.h"
#include "base/message_box.h"
#include "base/text_encoding.h"
#include "script/script_edits.h"
#include "script/script_file.h"

AskDelayFn askDelaySeam = &showDelayDialog;

namespace {

constexpr int kDelayField = 100;
constexpr int kDelayLabel = 101;

std::wstring fieldText(HWND dialog)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, kDelayField, text, 64);
    return text;
}

void fillDelay(HWND dialog, void* data)
{
    const std::string shown = formatJsonNumber(*static_cast<double*>(data));
    SetDlgItemTextW(dialog, kDelayField, utf8ToWide(shown).c_str());
    SendDlgItemMessageW(dialog, kDelayField, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, kDelayField));
}

bool acceptDelay(HWND dialog, void* data)
{
    double seconds = 0;
    if (!parseDelaySeconds(fieldText(dialog), seconds)) {
        showMessageBox(dialog, L"请输入 0 到 1000000 之间的秒数，例如 0.5。", L"提示", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, kDelayField));
        SendDlgItemMessageW(dialog, kDelayField, EM_SETSEL, 0, -1);
        return false;
    }
    *static_cast<double*>(data) = seconds;
    return true;
}

}  // namespace

bool showDelayDialog(HWND owner, double& seconds)
{
    DialogTemplate layout(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 180, 64, L"设置延迟", 9,
                          L"Microsoft YaHei");
    layout.add(DialogTemplate::kStaticClass, kDelayLabel, L"所选事件的延迟（秒）：", SS_LEFT, 8, 10, 100, 10);
    layout.add(DialogTemplate::kEditClass, kDelayField, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 108, 8, 64, 12);
    layout.add(DialogTemplate::kButtonClass, IDOK, L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 68, 40, 50, 14);
    layout.add(DialogTemplate::kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 122, 40, 50, 14);
    double value = seconds;
    if (!layout.runForm(owner, DialogForm{&value, &fillDelay, &acceptDelay})) {
        return false;
    }
    seconds = value;
    return true;
}
