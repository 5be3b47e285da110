#include "base/thread.h"

#include <memory>
#include <process.h>

namespace {

HANDLE startWithRuntime(unsigned(__stdcall* procedure)(void*), void* argument, unsigned* threadId)
{
    // _beginthreadex rather than CreateThread: the thread uses the C runtime (streams, printf).
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, procedure, argument, 0, threadId));
}

unsigned __stdcall runBody(void* argument)
{
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

}  // namespace

StartThreadFn startThreadSeam = &startWithRuntime;

bool Thread::start(std::function<void()> body)
{
    detach();
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    unsigned threadId = 0;
    HANDLE handle = startThreadSeam(&runBody, owned.get(), &threadId);
    if (handle == nullptr) {
        return false;
    }
    owned.release();  // the new thread owns the body now
    handle_.reset(handle);
    id_ = threadId;
    return true;
}

bool Thread::waitFor(DWORD milliseconds) const
{
    return !handle_ || WaitForSingleObject(handle_.get(), milliseconds) == WAIT_OBJECT_0;
}

void Thread::join()
{
    waitFor(INFINITE);
    detach();
}

void Thread::detach()
{
    handle_.reset();
    id_ = 0;
}
