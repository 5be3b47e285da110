// The in-memory dialog template and the one modal loop: controls of every kind come out as
// described, the owner is disabled while the dialog is open and enabled again when it ends.
#include "base/dialog_template.h"

#include <string>

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

struct Seen {
    HWND owner = nullptr;
    bool ownerDisabled = false;
    std::wstring className;
    std::wstring childClasses;
    LONG_PTR editExStyle = 0;
    std::wstring buttonText;
};

INT_PTR CALLBACK inspectAndEnd(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    Seen& seen = *reinterpret_cast<Seen*>(lParam);
    seen.ownerDisabled = !IsWindowEnabled(seen.owner);
    wchar_t name[64] = {};
    GetClassNameW(dialog, name, 64);
    seen.className = name;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameW(child, name, 64);
        seen.childClasses += std::wstring(name) + L";";
    }
    seen.editExStyle = GetWindowLongPtrW(GetDlgItem(dialog, 11), GWL_EXSTYLE);
    GetDlgItemTextW(dialog, IDCANCEL, name, 64);
    seen.buttonText = name;
    EndDialog(dialog, 42);
    return TRUE;
}

TEST(DialogTemplate, ItemsOfEveryKindAndTheOwnerDisabledOnlyWhileItRuns)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LrTemplateTestCls";
    RegisterClassW(&windowClass);

    for (const wchar_t* className : {static_cast<const wchar_t*>(nullptr), L"LrTemplateTestCls"}) {
        SCOPED_TRACE(className == nullptr ? "system dialog class" : "own class");
        DialogTemplate layout(WS_POPUP | WS_CAPTION, 120, 60, L"测试", 9, L"Microsoft YaHei", className);
        layout.add(DialogTemplate::kStaticClass, 10, L"标签", 0, 4, 4, 50, 10);
        layout.add(DialogTemplate::kEditClass, 11, L"", WS_BORDER, 4, 16, 50, 12, WS_EX_CLIENTEDGE);
        layout.add(PROGRESS_CLASSW, 12, L"", 0, 4, 30, 100, 8);
        layout.add(DialogTemplate::kButtonClass, IDCANCEL, L"取消", BS_PUSHBUTTON, 60, 40, 50, 14);
        ASSERT_EQ(layout.itemCount(), 4u);
        const RECT progress = layout.itemRect(2);
        EXPECT_TRUE(progress.left == 4 && progress.top == 30 && progress.right == 104 && progress.bottom == 38);

        const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        Seen seen;
        seen.owner = owner;
        EXPECT_EQ(layout.runModal(owner, &inspectAndEnd, reinterpret_cast<LPARAM>(&seen)), 42);
        EXPECT_TRUE(seen.ownerDisabled);
        EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again when the dialog ends";
        EXPECT_EQ(seen.className, className == nullptr ? L"#32770" : className);
        EXPECT_EQ(_wcsicmp(seen.childClasses.c_str(), L"Static;Edit;msctls_progress32;Button;"), 0);
        EXPECT_NE(seen.editExStyle & WS_EX_CLIENTEDGE, 0);
        EXPECT_EQ(seen.buttonText, L"取消");
        DestroyWindow(owner);
    }
}

}  // namespace
