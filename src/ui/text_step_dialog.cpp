#include "ui/text_step_dialog.h"

#include <utility>
#include <vector>

#include "base/dialog_template.h"
#include "base/message_box.h"
#include "base/text_encoding.h"
#include "script/script_edits.h"
#include "script/script_file.h"
#include "script/text_step.h"
#include "ui/text_step_fields.h"

AskTextStepFn askTextStepSeam = &showTextStepDialog;

namespace {

constexpr int kTextLabel = 102;
constexpr int kDelayLabel = 103;

std::wstring controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), static_cast<size_t>(length > 0 ? length : 0));
}

void refuse(HWND dialog, int field, const std::wstring& why)
{
    showMessageBox(dialog, why.c_str(), L"提示", MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, field));
    SendDlgItemMessageW(dialog, field, EM_SETSEL, 0, -1);
}

// Reads both fields into the step; false (after saying why) when one is refused.
bool acceptFields(HWND dialog, void* data)
{
    TextStepInput& step = *static_cast<TextStepInput*>(data);
    const std::wstring box = controlText(dialog, IDC_TEXT_STEP_TEXT);
    const std::wstring refusal = textStepRefusal(box);
    if (!refusal.empty()) {
        refuse(dialog, IDC_TEXT_STEP_TEXT, refusal);
        return false;
    }
    double seconds = 0.0;
    if (!parseDelaySeconds(controlText(dialog, IDC_TEXT_STEP_DELAY), seconds)) {
        refuse(dialog, IDC_TEXT_STEP_DELAY, L"请输入 0 到 1000000 之间的秒数，例如 0.5。");
        return false;
    }
    // A text shown unchanged keeps its own line breaks ("\r\n" stays "\r\n").
    if (box != boxTextOfStep(step.text)) {
        step.text = stepTextOfBox(box);
    }
    step.delay = seconds;
    return true;
}

void fillFields(HWND dialog, void* data)
{
    const TextStepInput& step = *static_cast<TextStepInput*>(data);
    SendDlgItemMessageW(dialog, IDC_TEXT_STEP_TEXT, EM_SETLIMITTEXT, kMaxEditedTextUnits, 0);
    SetDlgItemTextW(dialog, IDC_TEXT_STEP_TEXT, boxTextOfStep(step.text).c_str());
    const std::string delay = formatJsonNumber(step.delay);
    SetDlgItemTextW(dialog, IDC_TEXT_STEP_DELAY, utf8ToWide(delay).c_str());
    SendDlgItemMessageW(dialog, IDC_TEXT_STEP_TEXT, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, IDC_TEXT_STEP_TEXT));
}

}  // namespace

bool showTextStepDialog(HWND owner, const wchar_t* title, TextStepInput& step)
{
    DialogTemplate layout(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 280, 168, title, 9,
                          L"Microsoft YaHei");
    layout.add(DialogTemplate::kStaticClass, kTextLabel, L"要输入的文字（回车换行，最多 10000 个字符）：", SS_LEFT, 8,
               8, 264, 10);
    layout.add(DialogTemplate::kEditClass, IDC_TEXT_STEP_TEXT, L"",
               WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 8, 20, 264, 100);
    layout.add(DialogTemplate::kStaticClass, kDelayLabel, L"之前的延迟（秒）：", SS_LEFT, 8, 130, 80, 10);
    layout.add(DialogTemplate::kEditClass, IDC_TEXT_STEP_DELAY, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 88, 128,
               64, 12);
    layout.add(DialogTemplate::kButtonClass, IDOK, L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 168, 148, 50, 14);
    layout.add(DialogTemplate::kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON | WS_TABSTOP, 222, 148, 50, 14);
    TextStepInput edited = step;
    if (!layout.runForm(owner, DialogForm{&edited, &fillFields, &acceptFields})) {
        return false;
    }
    step = std::move(edited);
    return true;
}
