#include "ui/delay_dialog.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "script/script_edits.h"
#include "script/script_file.h"

AskDelayFn askDelaySeam = &ShowDelayDialog;

namespace {

constexpr int kDelayField = 100;
constexpr int kDelayLabel = 101;

// An in-memory dialog template: the system lays it out in dialog units and scales it and its
// font for the owner's DPI, and gives it Tab, Enter and Esc.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* caption, short width, short height)
    {
        align(4);
        const DWORD style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        addDword(style);
        addDword(0);
        countAt_ = words_.size();
        words_.push_back(0);  // number of controls, filled in as they come
        addShorts({0, 0, width, height});
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        addText(caption);
        words_.push_back(9);  // points
        addText(L"Microsoft YaHei");
    }

    void addControl(WORD classAtom, const wchar_t* text, int id, DWORD style, short x, short y, short width,
                    short height)
    {
        align(4);
        addDword(WS_CHILD | WS_VISIBLE | style);
        addDword(0);
        addShorts({x, y, width, height});
        words_.push_back(static_cast<WORD>(id));
        words_.push_back(0xFFFF);
        words_.push_back(classAtom);
        addText(text);
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void align(size_t bytes)
    {
        while ((words_.size() * sizeof(WORD)) % bytes != 0) {
            words_.push_back(0);
        }
    }
    void addDword(DWORD value)
    {
        words_.push_back(static_cast<WORD>(value & 0xFFFF));
        words_.push_back(static_cast<WORD>(value >> 16));
    }
    void addShorts(std::initializer_list<short> values)
    {
        for (short value : values) {
            words_.push_back(static_cast<WORD>(value));
        }
    }
    void addText(const wchar_t* text)
    {
        for (; *text != L'\0'; ++text) {
            words_.push_back(static_cast<WORD>(*text));
        }
        words_.push_back(0);
    }

    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

std::wstring fieldText(HWND dialog)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, kDelayField, text, 64);
    return text;
}

INT_PTR CALLBACK delayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const double seconds = *reinterpret_cast<double*>(lParam);
        const std::string shown = formatJsonNumber(seconds);
        SetDlgItemTextW(dialog, kDelayField, std::wstring(shown.begin(), shown.end()).c_str());
        SendDlgItemMessageW(dialog, kDelayField, EM_SETSEL, 0, -1);
        SetFocus(GetDlgItem(dialog, kDelayField));
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            double seconds = 0;
            if (!parseDelaySeconds(fieldText(dialog), seconds)) {
                ShowMessageBox(dialog, L"请输入 0 到 1000000 之间的秒数，例如 0.5。", L"提示", MB_OK | MB_ICONWARNING);
                SetFocus(GetDlgItem(dialog, kDelayField));
                SendDlgItemMessageW(dialog, kDelayField, EM_SETSEL, 0, -1);
                return TRUE;
            }
            *reinterpret_cast<double*>(GetWindowLongPtrW(dialog, DWLP_USER)) = seconds;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

bool ShowDelayDialog(HWND owner, double& seconds)
{
    DialogTemplate layout(L"设置延迟", 180, 64);
    layout.addControl(kStaticAtom, L"所选事件的延迟（秒）：", kDelayLabel, SS_LEFT, 8, 10, 100, 10);
    layout.addControl(kEditAtom, L"", kDelayField, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 108, 8, 64, 12);
    layout.addControl(kButtonAtom, L"确定", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 68, 40, 50, 14);
    layout.addControl(kButtonAtom, L"取消", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 122, 40, 50, 14);
    double value = seconds;
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), layout.get(), owner, &delayDialogProc,
                                                   reinterpret_cast<LPARAM>(&value));
    if (answer != IDOK) {
        return false;
    }
    seconds = value;
    return true;
}
