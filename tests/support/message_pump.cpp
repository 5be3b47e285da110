#include "support/message_pump.h"

namespace {

void dispatchPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

void pumpMessagesFor(unsigned durationMs)
{
    ULONGLONG end = GetTickCount64() + durationMs;
    while (GetTickCount64() < end) {
        dispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    dispatchPending();
}

bool pumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs)
{
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < end) {
        dispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    dispatchPending();
    return done();
}
