// The screen picker under real input (xdotool): a click, a drag, the keys, the cancels; the point,
// the rectangle, the colour of the frozen picture and the window of another program under the
// pick (never one of this program's); the owner hidden while picking and back after.
#include <atomic>
#include <string>

#include <windows.h>
#include <gtest/gtest.h>

#include "base/thread.h"
#include "base/win_owners.h"
#include "support/message_pump.h"
#include "support/xdotool.h"
#include "ui/screen_picker.h"

namespace {

// The other program's window: 300..700 x 200..500 on the screen.
constexpr RECT kTarget{300, 200, 700, 500};
const COLORREF kTargetColour = RGB(0x1E, 0x90, 0xFF);
const COLORREF kLaterColour = RGB(0x20, 0xC0, 0x40);
// The owner, over part of the target: 350..550 x 250..450.
constexpr RECT kOwner{350, 250, 550, 450};
const COLORREF kOwnerColour = RGB(0xC0, 0x28, 0x28);

COLORREF screenPixel(int x, int y)
{
    const WindowDc screen(nullptr);
    return GetPixel(screen.get(), x, y) & 0xFFFFFF;
}

class ScreenPickerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --colour-window 1E90FF 300 200 400 300";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(
            CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        CloseHandle(process.hThread);
        targetProcess_.reset(process.hProcess);
        ASSERT_TRUE(pumpMessagesUntil(
            [] {
                target_ = FindWindowW(L"LrPickerTarget", nullptr);
                return target_ != nullptr && screenPixel(650, 480) == kTargetColour;
            },
            20000));
    }
    static void TearDownTestSuite()
    {
        if (target_ != nullptr) {
            PostMessageW(target_, WM_CLOSE, 0, 0);
        }
        if (targetProcess_ && WaitForSingleObject(targetProcess_.get(), 5000) != WAIT_OBJECT_0) {
            TerminateProcess(targetProcess_.get(), 1);
        }
        targetProcess_.reset();
    }
    void SetUp() override
    {
        ASSERT_NE(target_, nullptr);
        PostMessageW(target_, WM_APP, kTargetColour, 0);
        ASSERT_TRUE(pumpMessagesUntil([] { return screenPixel(650, 480) == kTargetColour; }, 5000));
    }

    // What the picker thread saw and got.
    struct Run {
        bool answer = false;
        ScreenPick pick;
        bool ownerHiddenWhilePicking = false;
        bool ownerShownAfter = false;
        bool overlayGoneAfter = false;
        COLORREF seen[4] = {};  // screen pixels while the overlay was up (see pickWith)
    };

    // Shows the picker on a thread of its own with an owner window over part of the target, and
    // once the overlay has the mouse, sends the xdotool input. A pick that does not end within
    // 10 s is cancelled (and the test fails on what it got).
    static Run pickWith(PickShape shape, const std::wstring& input, bool repaintTargetFirst = false)
    {
        Run run;
        std::atomic<bool> done{false};
        std::atomic<HWND> owner{nullptr};
        Thread picker;
        picker.start([&] {
            static BrushHandle ownerBrush(CreateSolidBrush(kOwnerColour));
            static const ATOM ownerClass = [] {
                WNDCLASSW windowClass{};
                windowClass.lpfnWndProc = &DefWindowProcW;
                windowClass.hInstance = GetModuleHandleW(nullptr);
                windowClass.hbrBackground = ownerBrush.get();
                windowClass.lpszClassName = L"LrPickerOwner";
                return RegisterClassW(&windowClass);
            }();
            (void)ownerClass;
            const WindowHandle window(CreateWindowExW(WS_EX_TOPMOST, L"LrPickerOwner", L"owner", WS_POPUP | WS_VISIBLE,
                                                      kOwner.left, kOwner.top, kOwner.right - kOwner.left,
                                                      kOwner.bottom - kOwner.top, nullptr, nullptr,
                                                      GetModuleHandleW(nullptr), nullptr));
            SetForegroundWindow(window.get());
            pumpMessagesUntil([] { return screenPixel(450, 350) == kOwnerColour; }, 5000);
            owner = window.get();
            run.answer = pickOnScreen(window.get(), shape, run.pick);
            run.ownerShownAfter = IsWindowVisible(window.get()) != FALSE;
            done = true;
        });
        HWND overlay = nullptr;
        pumpMessagesUntil(
            [&] {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                overlay = GetGUIThreadInfo(picker.id(), &info) ? info.hwndCapture : nullptr;
                return overlay != nullptr || done;
            },
            10000);
        if (overlay != nullptr) {
            run.ownerHiddenWhilePicking = owner != nullptr && !IsWindowVisible(owner);
            if (repaintTargetFirst) {
                PostMessageW(target_, WM_APP, kLaterColour, 0);
                pumpMessagesFor(500);
            }
            runXdotool(L"mousemove 400 300 sleep 0.3");
            pumpMessagesFor(300);
            // On the overlay now: the target's old colour where nothing is drawn, and the
            // crosshair's black and white dashes along the pointer's row.
            run.seen[0] = screenPixel(650, 480);
            run.seen[1] = screenPixel(650, 300);
            run.seen[2] = screenPixel(654, 300);
            run.seen[3] = screenPixel(400, 300 + 150);
            runXdotool(input);
        }
        if (!pumpMessagesUntil([&] { return done.load(); }, 10000) && overlay != nullptr) {
            PostMessageW(overlay, WM_CLOSE, 0, 0);
        }
        picker.join();
        run.overlayGoneAfter = overlay != nullptr && !IsWindow(overlay);
        return run;
    }

    static KernelHandle targetProcess_;
    static HWND target_;
};

KernelHandle ScreenPickerTest::targetProcess_;
HWND ScreenPickerTest::target_ = nullptr;

std::string rectText(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST_F(ScreenPickerTest, AClickPicksThePointAndWhatWasUnderTheHiddenOwner)
{
    const Run run = pickWith(PickShape::PointOrRectangle, L"mousemove 410 305 sleep 0.3 click 1", true);
    ASSERT_TRUE(run.answer);
    EXPECT_TRUE(run.ownerHiddenWhilePicking);
    EXPECT_TRUE(run.ownerShownAfter);
    EXPECT_TRUE(run.overlayGoneAfter);
    EXPECT_FALSE(run.pick.rectangle);
    EXPECT_EQ(run.pick.point.x, 410);
    EXPECT_EQ(run.pick.point.y, 305);
    EXPECT_EQ(rectText(run.pick.area), "410,305,411,306");
    // The picture is the screen when the picker came up: the owner gone, the target's later
    // colour not yet seen.
    EXPECT_EQ(run.pick.colour, kTargetColour);
    EXPECT_EQ(run.seen[0], kTargetColour);
    EXPECT_EQ(run.pick.window, target_);
    // The crosshair runs along the pointer's row in dashes of black and white.
    EXPECT_NE(run.seen[1], run.seen[2]);
    for (int i : {1, 2, 3}) {
        EXPECT_TRUE(run.seen[i] == RGB(0, 0, 0) || run.seen[i] == RGB(255, 255, 255)) << i << ": " << run.seen[i];
    }
}

TEST_F(ScreenPickerTest, ADragPicksARectangleFromThePress)
{
    // Another window of this program over the press: its colour is what the screen shows there,
    // but the window picked is the other program's below it.
    const WindowHandle bystander(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                                                 WS_POPUP | WS_VISIBLE | SS_BLACKRECT, 470, 350, 20, 20, nullptr,
                                                 nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(pumpMessagesUntil([] { return screenPixel(480, 360) != kTargetColour; }, 5000));
    const COLORREF bystanderColour = screenPixel(480, 360);
    const Run run =
        pickWith(PickShape::PointOrRectangle,
                 L"mousemove 480 360 sleep 0.2 mousedown 1 sleep 0.2 mousemove 450 340 sleep 0.2 mousemove 420 "
                 L"320 sleep 0.2 mouseup 1");
    ASSERT_TRUE(run.answer);
    EXPECT_TRUE(run.pick.rectangle);
    EXPECT_EQ(run.pick.point.x, 480);
    EXPECT_EQ(run.pick.point.y, 360);
    EXPECT_EQ(rectText(run.pick.area), "420,320,481,361");
    EXPECT_EQ(run.pick.colour, bystanderColour);
    EXPECT_EQ(run.pick.window, target_);
}

TEST_F(ScreenPickerTest, PointsOnlyTakeTheEndOfADrag)
{
    const Run run = pickWith(PickShape::Point, L"mousemove 480 360 sleep 0.2 mousedown 1 sleep 0.2 mousemove 650 "
                                               L"480 sleep 0.2 mouseup 1");
    ASSERT_TRUE(run.answer);
    EXPECT_FALSE(run.pick.rectangle);
    EXPECT_EQ(rectText(run.pick.area), "650,480,651,481");
    EXPECT_EQ(run.pick.window, target_);
}

TEST_F(ScreenPickerTest, ArrowsMoveByAPixelAndEnterPicks)
{
    const Run run = pickWith(PickShape::Point, L"mousemove 690 490 sleep 0.3 key Right Right Right Down sleep 0.3 "
                                               L"key shift+Down sleep 0.3 key Return");
    ASSERT_TRUE(run.answer);
    // Off the target's bottom right corner by then: the desktop, not the target.
    EXPECT_EQ(rectText(run.pick.area), "693,501,694,502");
    EXPECT_NE(run.pick.window, target_);
    EXPECT_NE(run.pick.colour, kTargetColour);
}

TEST_F(ScreenPickerTest, EscapeAndARightClickCancel)
{
    for (const wchar_t* input : {L"key Escape", L"click 3"}) {
        const Run run = pickWith(PickShape::PointOrRectangle, input);
        EXPECT_FALSE(run.answer) << input;
        EXPECT_TRUE(run.ownerShownAfter) << input;
        EXPECT_TRUE(run.overlayGoneAfter) << input;
        EXPECT_EQ(run.pick.window, nullptr) << input;
    }
}

}  // namespace
