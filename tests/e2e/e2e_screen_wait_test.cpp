// Wait steps through the real program started with --play: a colour wait holds a key back until
// a window turns that colour seconds later; a picture step finds a button drawn at a place the
// script does not know and clicks it; a wait whose time is up ends the run with exit code 7, or
// goes on when the step says so.
#include <atomic>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "e2e/e2e_app.h"
#include "e2e/e2e_scripts.h"
#include "e2e/e2e_support.h"
#include "player/png_codec_win.h"
#include "screen_match/pixels.h"
#include "script/screen_wait.h"
#include "script/script_file.h"

namespace {

constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kBlue = RGB(0x1E, 0x90, 0xFF);
constexpr int kButtonWidth = 40;
constexpr int kButtonHeight = 24;

// The button's pixels (0xRRGGBB): a dark frame around a light face with three coloured squares.
uint32_t buttonPixel(int x, int y)
{
    if (x < 2 || y < 2 || x >= kButtonWidth - 2 || y >= kButtonHeight - 2) {
        return 0x202020;
    }
    if (y >= 8 && y < 16 && x >= 6 && x < 34 && (x - 6) % 10 < 8) {
        const uint32_t colours[3] = {0xD03030, 0x30A040, 0x3050D0};
        return colours[(x - 6) / 10];
    }
    return 0xE8E8E8;
}

// A plain window of this test process, on a thread of its own: one colour, optionally the
// button at a place inside it; it notes where it is clicked.
class PaintedWindow {
public:
    ~PaintedWindow() { close(); }

    bool start(const RECT& rect, COLORREF colour)
    {
        colour_.store(colour);
        thread_ = std::thread([this, rect] { run(rect); });
        return waitUntil([this] { return window_.load() != nullptr; }, 5000) &&
               waitUntil([&] { return screenPixel(rect.left + 5, rect.top + 5) == colour; }, 5000);
    }
    void setColour(COLORREF colour)
    {
        colour_.store(colour);
        InvalidateRect(window_.load(), nullptr, TRUE);
    }
    void showButton(POINT at)
    {
        buttonX_.store(at.x);
        buttonY_.store(at.y);
        InvalidateRect(window_.load(), nullptr, TRUE);
    }
    std::vector<POINT> clicks()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return clicks_;
    }
    void close()
    {
        if (thread_.joinable()) {
            PostMessageW(window_.load(), WM_CLOSE, 0, 0);
            thread_.join();
        }
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<PaintedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            HBRUSH brush = CreateSolidBrush(self->colour_.load());
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            if (self->buttonX_.load() >= 0) {
                for (int y = 0; y < kButtonHeight; ++y) {
                    for (int x = 0; x < kButtonWidth; ++x) {
                        const uint32_t p = buttonPixel(x, y);
                        SetPixelV(dc, self->buttonX_.load() + x, self->buttonY_.load() + y,
                                  RGB(p >> 16, (p >> 8) & 0xFF, p & 0xFF));
                    }
                }
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window, &point);
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->clicks_.push_back(point);
            return 0;
        }
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    void run(const RECT& rect)
    {
        WNDCLASSW type{};
        type.lpfnWndProc = &procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"LrE2ePainted";
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&type);
        HWND window =
            CreateWindowExW(WS_EX_TOOLWINDOW, type.lpszClassName, L"painted", WS_POPUP, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, type.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(window, SW_SHOWNOACTIVATE);
        window_.store(window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            DispatchMessageW(&message);
        }
    }

    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<COLORREF> colour_{0};
    std::atomic<int> buttonX_{-1};
    std::atomic<int> buttonY_{-1};
    std::mutex mutex_;
    std::vector<POINT> clicks_;
};

MacroEvent colourWait(POINT at, COLORREF colour, double timeout, TimeoutAction onTimeout)
{
    MacroEvent step;
    step.kind = EventKind::WaitColour;
    step.x = at.x;
    step.y = at.y;
    auto wait = std::make_shared<ScreenWait>();
    wait->rgb = static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
                GetBValue(colour);
    wait->timeoutSeconds = timeout;
    wait->onTimeout = onTimeout;
    step.wait = wait;
    return step;
}

MacroEvent key(EventKind kind, const char* name)
{
    MacroEvent event;
    event.kind = kind;
    event.keyOrText = name;
    event.delay = 0.05;
    return event;
}

bool typed(const TargetWindow& target, long unit)
{
    for (const TargetEntry& entry : target.entries()) {
        if (entry.name == "char" && entry.a == unit) {
            return true;
        }
    }
    return false;
}

class ScreenWaits : public E2e {};

TEST_F(ScreenWaits, AColourWaitHoldsAKeyBackUntilTheWindowTurnsThatColour)
{
    PaintedWindow painted;
    ASSERT_TRUE(painted.start(RECT{100, 100, 400, 300}, kGrey));
    TargetWindow target;
    ASSERT_TRUE(target.start(folderFor(L"screen_wait") + L"\\colour.log", RECT{500, 100, 900, 400}));
    const POINT inTarget = target.pointAt(0.5, 0.5);
    const std::wstring script = writeScriptIn(L"screen_wait", L"colour.json",
                                              {pressStep(inTarget, true, 0.1), pressStep(inTarget, false, 0.1),
                                               colourWait(POINT{250, 200}, kBlue, 30, TimeoutAction::Stop),
                                               key(EventKind::KeyDown, "Q"), key(EventKind::KeyUp, "Q")});
    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_screen_wait"), appExe(), L"--play \"" + script + L"\""));
    Sleep(3000);
    EXPECT_FALSE(typed(target, 'q')) << "the key waits for the colour";
    EXPECT_TRUE(app.running());
    painted.setColour(kBlue);
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(20000, code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(waitUntil([&] { return typed(target, 'q'); }, 3000)) << "the key came after the colour";
    target.close();
}

TEST_F(ScreenWaits, APictureStepClicksAButtonWhereverItWasDrawn)
{
    PaintedWindow painted;
    ASSERT_TRUE(painted.start(RECT{100, 100, 700, 500}, RGB(0xF0, 0xF0, 0xF0)));
    // A place the script cannot know: chosen now, at random.
    std::mt19937 random(static_cast<unsigned>(GetTickCount()));
    const POINT at{static_cast<LONG>(20 + random() % 500), static_cast<LONG>(20 + random() % 330)};
    painted.showButton(at);
    ASSERT_TRUE(waitUntil([&] { return screenPixel(100 + at.x, 100 + at.y) == RGB(0x20, 0x20, 0x20); }, 5000));

    PixelBuffer button;
    button.width = kButtonWidth;
    button.height = kButtonHeight;
    for (int y = 0; y < kButtonHeight; ++y) {
        for (int x = 0; x < kButtonWidth; ++x) {
            button.pixels.push_back(buttonPixel(x, y));
        }
    }
    MacroEvent step;
    step.kind = EventKind::WaitPicture;
    auto wait = std::make_shared<ScreenWait>();
    ASSERT_TRUE(encodePngPicture(button.view(), wait->png));
    ASSERT_TRUE(pngPictureSize(wait->png, wait->pictureWidth, wait->pictureHeight));
    wait->tolerance = 8;
    wait->click = FoundClick::Left;
    wait->timeoutSeconds = 20;
    step.wait = wait;
    const std::wstring script = writeScriptIn(L"screen_wait", L"picture.json", {step});

    App app;
    ASSERT_TRUE(app.start(folderFor(L"appdata_screen_wait"), appExe(), L"--play \"" + script + L"\""));
    DWORD code = 1234;
    ASSERT_TRUE(app.waitForExit(30000, code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(waitUntil([&] { return !painted.clicks().empty(); }, 3000)) << "no click reached the window";
    const POINT clicked = painted.clicks().front();
    EXPECT_EQ(clicked.x, 100 + at.x + kButtonWidth / 2);
    EXPECT_EQ(clicked.y, 100 + at.y + kButtonHeight / 2);
}

TEST_F(ScreenWaits, AWaitWhoseTimeIsUpStopsWithExitCodeSevenOrGoesOn)
{
    PaintedWindow painted;
    ASSERT_TRUE(painted.start(RECT{100, 100, 400, 300}, kGrey));
    const struct {
        TimeoutAction action;
        DWORD code;
    } cases[] = {{TimeoutAction::Stop, 7}, {TimeoutAction::Go, 0}};
    for (const auto& c : cases) {
        // The second wait is met at once: a run that goes on ends completed.
        const std::wstring script = writeScriptIn(L"screen_wait", L"timeout.json",
                                                  {colourWait(POINT{250, 200}, kBlue, 1, c.action),
                                                   colourWait(POINT{250, 200}, kGrey, 5, TimeoutAction::Stop)});
        App app;
        ASSERT_TRUE(app.start(folderFor(L"appdata_screen_wait"), appExe(), L"--play \"" + script + L"\""));
        DWORD code = 1234;
        ASSERT_TRUE(app.waitForExit(20000, code));
        EXPECT_EQ(code, c.code);
    }
}

}  // namespace
