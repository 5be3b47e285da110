#include "base/thread.h"

#include <atomic>
#include <memory>

#include <windows.h>
#include <gtest/gtest.h>

#include "support/scoped_seam.h"

namespace {

TEST(Thread, RunsTheBodyOnAThreadOfItsOwnAndWaitsForIt)
{
    const KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<DWORD> ranOn{0};
    std::atomic<bool> sawItself{false};
    Thread thread;
    ASSERT_TRUE(thread.start([&] {
        ranOn = GetCurrentThreadId();
        sawItself = thread.isCurrent();
        WaitForSingleObject(release.get(), INFINITE);
    }));
    EXPECT_TRUE(thread.started());
    EXPECT_NE(thread.id(), GetCurrentThreadId());
    EXPECT_FALSE(thread.isCurrent());
    EXPECT_FALSE(thread.waitFor(20)) << "the body is still waiting";
    SetEvent(release.get());
    EXPECT_TRUE(thread.waitFor(5000));
    EXPECT_EQ(ranOn.load(), thread.id());
    EXPECT_TRUE(sawItself.load());
    thread.join();
    EXPECT_FALSE(thread.started());
    EXPECT_TRUE(thread.waitFor(0)) << "no thread: nothing to wait for";
}

HANDLE refuseThread(unsigned(__stdcall*)(void*), void*, unsigned*)
{
    return nullptr;
}

TEST(Thread, ARefusedStartRunsNothingAndFreesTheBody)
{
    auto witness = std::make_shared<int>(0);
    std::weak_ptr<int> watch = witness;
    bool ran = false;
    {
        ScopedSeam noThreads(startThreadSeam, &refuseThread);
        Thread thread;
        EXPECT_FALSE(thread.start([&ran, held = std::move(witness)] { ran = true; }));
        EXPECT_FALSE(thread.started());
    }
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired()) << "the body (and what it captured) must not leak";
    Thread later;
    ASSERT_TRUE(later.start([&ran] { ran = true; })) << "the seam is back to the real call";
    later.join();
    EXPECT_TRUE(ran);
}

TEST(Thread, GoingOutOfScopeWaitsForTheBodyUnlessDetached)
{
    for (const bool detached : {false, true}) {
        const KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        auto finished = std::make_shared<std::atomic<bool>>(false);
        {
            Thread thread;
            ASSERT_TRUE(thread.start([finished, event = release.get()] {
                WaitForSingleObject(event, 200);
                *finished = true;
            }));
            if (detached) {
                thread.detach();
            }
        }
        EXPECT_EQ(finished->load(), !detached) << (detached ? "detached" : "held");
        SetEvent(release.get());
        if (detached) {
            Sleep(400);  // let the detached body end before its event goes
        }
    }
}

}  // namespace
