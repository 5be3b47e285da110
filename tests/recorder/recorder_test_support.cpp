#include "recorder/recorder_test_support.h"

#include <atomic>
#include <cstdio>

#include "base/win_owners.h"
#include "support/message_pump.h"
#include "support/xdotool.h"

namespace {

HWND receiver = nullptr;
std::vector<ReceivedMessage> received;
std::wstring logPath;

LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP && message < WM_APP + 0x100) {
        received.push_back({message, wParam});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool createReceiverWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = receiverProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LrRecorderTestReceiver";
    RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"LrRecorderTestOwnWindow";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&windowClass);
    receiver = CreateWindowExW(0, L"LrRecorderTestReceiver", L"receiver", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    return receiver != nullptr;
}

HWND receiverWindow()
{
    return receiver;
}

std::vector<ReceivedMessage> receivedMessages()
{
    return received;
}

size_t countReceived(UINT message)
{
    size_t count = 0;
    for (const ReceivedMessage& m : received) {
        count += m.message == message ? 1 : 0;
    }
    return count;
}

void clearReceived()
{
    pumpMessagesFor(20);
    received.clear();
}

void pumpFor(unsigned milliseconds)
{
    pumpMessagesFor(milliseconds);
}

bool sendRealInput(const std::wstring& arguments)
{
    const bool ok = runXdotool(arguments);
    // A little longer, so that the last notifications and posts have arrived.
    pumpMessagesFor(150);
    return ok;
}

namespace {

std::atomic<int> probeNotifications{0};

LRESULT CALLBACK probeMouseHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        ++probeNotifications;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool waitForRealInput(unsigned timeoutMs)
{
    // The pointer position alone says nothing: wine reads it from X even when no input is
    // delivered. A low-level hook of this thread (which pumps) tells when input really arrives.
    const HookHandle probe(SetWindowsHookExW(WH_MOUSE_LL, probeMouseHook, nullptr, 0));
    if (!probe) {
        return false;
    }
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    bool arrived = false;
    for (int step = 0; !arrived && GetTickCount64() < end; ++step) {
        sendRealInput(L"mousemove " + std::to_wstring(100 + step % 50) + L" 77");
        arrived = probeNotifications.load() > 0;
        if (!arrived) {
            pumpMessagesFor(300);
        }
    }
    return arrived;
}

void setTestLogPath(const std::wstring& path)
{
    logPath = path;
}

std::string readTestLog()
{
    std::string text;
    FILE* file = _wfopen(logPath.c_str(), L"rb");
    if (file == nullptr) {
        return text;
    }
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
    }
    fclose(file);
    return text;
}

size_t countInLog(const std::string& text)
{
    const std::string log = readTestLog();
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

OwnWindow::OwnWindow(int x, int y, int width, int height)
    : window(CreateWindowExW(WS_EX_TOPMOST, L"LrRecorderTestOwnWindow", L"own", WS_POPUP | WS_VISIBLE, x, y, width,
                             height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr))
{
    if (window) {
        SetForegroundWindow(window.get());
        UpdateWindow(window.get());
    }
    pumpMessagesFor(200);
}

OwnWindow::~OwnWindow()
{
    window.reset();
    pumpMessagesFor(200);
}
