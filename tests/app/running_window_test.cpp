// A later start asking the running window, against windows of the program's class in the test
// process (a message sent to a window of the same thread is handled at once).
#include "app/running_window.h"

#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/session_guards.h"
#include "base/win_owners.h"
#include "support/scoped_seam.h"
#include "ui/hand_over_win.h"
#include "ui/main_window.h"

namespace {

struct Reception {
    LRESULT answer = kHandOverAccepted;
    int requests = 0;
    HandOverRequest request;
    std::vector<DWORD> allowedBeforeAsking;  // the foreground allowances made before the message came
};
Reception reception;
std::vector<DWORD> allowances;

LRESULT CALLBACK fakeRunningWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        ++reception.requests;
        reception.allowedBeforeAsking = allowances;
        EXPECT_TRUE(readHandOver(lParam, reception.request));
        return reception.answer;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL WINAPI recordAllowance(DWORD processId)
{
    allowances.push_back(processId);
    return TRUE;
}

class RunningWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &fakeRunningWindow;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kMainWindowClassName;
        RegisterClassExW(&windowClass);
    }
    void SetUp() override
    {
        reception = Reception();
        allowances.clear();
    }
    WindowHandle openWindow()
    {
        return WindowHandle(CreateWindowExW(0, kMainWindowClassName, L"running", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    }
    ScopedSeam<HandOverSeam> seam{handOverSeam, HandOverSeam{handOverSeam.changeWindowMessageFilterEx, &recordAllowance,
                                                             handOverSeam.setForegroundWindow}};
};

TEST_F(RunningWindowTest, TheWindowGetsTheRequestAfterItsProcessMayTakeTheForeground)
{
    const struct {
        std::vector<std::wstring> files;
        HandOverKind kind;
    } cases[] = {
        {{}, HandOverKind::Activate},
        {{L"C:\\scripts\\a.json"}, HandOverKind::OpenScripts},
        {{L"C:\\宏 脚本.json", L"D:\\b.json"}, HandOverKind::OpenScripts},
    };
    const WindowHandle window = openWindow();
    ASSERT_TRUE(window);
    for (const auto& c : cases) {
        reception = Reception();
        allowances.clear();
        EXPECT_EQ(askRunningWindow(c.files, 2000), RunningWindowAnswer::Accepted);
        EXPECT_EQ(reception.requests, 1);
        EXPECT_EQ(reception.request.kind, c.kind);
        EXPECT_EQ(reception.request.files, c.files);
        EXPECT_EQ(reception.allowedBeforeAsking, std::vector<DWORD>{GetCurrentProcessId()});
    }
}

TEST_F(RunningWindowTest, AWindowThatDoesNotTakeTheRequestOrNoWindowIsNoAnswerWithinTheLimit)
{
    for (bool withWindow : {true, false}) {
        reception = Reception();
        reception.answer = 0;  // what an unattended playback's window answers
        WindowHandle window = withWindow ? openWindow() : WindowHandle();
        const ULONGLONG started = GetTickCount64();
        EXPECT_EQ(askRunningWindow({L"C:\\a.json"}, 600), RunningWindowAnswer::NoAnswer) << withWindow;
        const ULONGLONG took = GetTickCount64() - started;
        EXPECT_GE(took, 400u) << "it keeps trying: the instance may still be starting";
        EXPECT_LT(took, 3000u) << "generous bound on a 600 ms limit";
        if (withWindow) {
            EXPECT_GE(reception.requests, 2) << "asked again while the time lasted";
        }
    }
}

int guardLooks = 0;
bool guardFreedAtTheThirdLook()
{
    return ++guardLooks >= 3;
}

TEST_F(RunningWindowTest, AnInstanceThatGoesAwayWhileAskedLeavesTheGuardToThisStart)
{
    guardLooks = 0;
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(askRunningWindow({}, 5000, &guardFreedAtTheThirdLook), RunningWindowAnswer::InstanceGone);
    EXPECT_EQ(guardLooks, 3);
    EXPECT_LT(GetTickCount64() - started, 3000u) << "no waiting out the limit once the guard is free";

    // The guard itself: held by another holder (a handle of the test) it is left alone; once that
    // went, this start holds it.
    KernelHandle other(CreateMutexW(nullptr, FALSE, sessionGuardName(SessionGuard::WindowInstance)));
    ASSERT_TRUE(other);
    EXPECT_FALSE(takeFreedWindowGuard());
    EXPECT_FALSE(sessionGuardSeam.giveUp(SessionGuard::WindowInstance)) << "nothing kept after a failed look";
    other.reset();
    EXPECT_TRUE(takeFreedWindowGuard());
    EXPECT_TRUE(sessionGuardSeam.giveUp(SessionGuard::WindowInstance));
}

TEST_F(RunningWindowTest, RelativePathsBecomeAbsoluteInTheWorkingFolder)
{
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, folder), 0u);
    const std::wstring base = std::wstring(folder) + (folder[wcslen(folder) - 1] == L'\\' ? L"" : L"\\");
    EXPECT_EQ(absolutePath(L".\\sub\\..\\宏.json"), base + L"宏.json");
    EXPECT_EQ(absolutePath(L"C:\\x\\y.json"), L"C:\\x\\y.json");
}

}  // namespace
