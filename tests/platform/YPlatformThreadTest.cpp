#include "platform/YPlatformThread.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {
struct Probe {
    std::atomic<int> runs{0};
    std::atomic<bool> sawItself{false};
    const YPlatformThread* thread = nullptr;
    uint32_t result = 0;
};

uint32_t RunProbe(void* argument) {
    auto* p = static_cast<Probe*>(argument);
    if (p->thread) p->sawItself = p->thread->IsCurrent();
    ++p->runs;
    return p->result;
}

uint32_t Spin(void* argument) {
    auto* stop = static_cast<std::atomic<bool>*>(argument);
    while (!stop->load()) YPlatformSleep(1);
    return 0;
}
} // namespace

TEST(YPlatformThread, WithoutThreadNothingSucceeds) {
    YPlatformThread thread;
    uint32_t code = 0;
    EXPECT_FALSE(thread.IsCreated());
    EXPECT_FALSE(thread.Resume());
    EXPECT_FALSE(thread.SetPriority(YPlatformThread::kPriorityNormal));
    EXPECT_FALSE(thread.Wait(0));
    EXPECT_FALSE(thread.ExitCode(code));
    EXPECT_FALSE(thread.IsCurrent());
    EXPECT_FALSE(thread.Create(nullptr, nullptr));
}

TEST(YPlatformThreadThreading, RunsOnlyAfterResumeAndReportsItsExitCode) {
    Probe probe;
    probe.result = 42;
    YPlatformThread thread;
    probe.thread = &thread;
    ASSERT_TRUE(thread.Create(&RunProbe, &probe));
    EXPECT_FALSE(thread.Create(&RunProbe, &probe)) << "one thread per object";
    YPlatformSleep(50);
    EXPECT_EQ(probe.runs.load(), 0) << "created suspended";
    uint32_t code = 0;
    EXPECT_FALSE(thread.ExitCode(code));
    EXPECT_FALSE(thread.Wait(0));
    ASSERT_TRUE(thread.Resume());
    ASSERT_TRUE(thread.Wait(kYPlatformWaitInfinite));
    EXPECT_EQ(probe.runs.load(), 1);
    EXPECT_TRUE(probe.sawItself.load());
    EXPECT_FALSE(thread.IsCurrent());
    ASSERT_TRUE(thread.ExitCode(code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(thread.Resume()) << "resuming an ended thread is harmless";
    EXPECT_TRUE(thread.Wait(0));
}

TEST(YPlatformThreadThreading, ClosingANeverResumedThreadSkipsItsEntry) {
    Probe probe;
    {
        YPlatformThread thread;
        ASSERT_TRUE(thread.Create(&RunProbe, &probe));
        thread.Close();
        EXPECT_FALSE(thread.IsCreated());
    }
    YPlatformSleep(100);
    EXPECT_EQ(probe.runs.load(), 0);
}

TEST(YPlatformThreadThreading, TimedWaitOnARunningThreadTimesOut) {
    std::atomic<bool> stop{false};
    YPlatformThread thread;
    ASSERT_TRUE(thread.Create(&Spin, &stop));
    ASSERT_TRUE(thread.Resume());
    const uint32_t start = YPlatformTickCount();
    EXPECT_FALSE(thread.Wait(60));
    EXPECT_GE(YPlatformTickCount() - start, 40u); // Windows ticks advance in steps of about 16 ms
    stop = true;
    EXPECT_TRUE(thread.Wait(5000));
}

TEST(YPlatformThreadThreading, ClosingARunningThreadLetsItFinish) {
    // Outlives the test: the closed thread may still be ending when the test returns.
    static std::atomic<bool> stop{false};
    static std::atomic<bool> ended{false};
    struct Body {
        static uint32_t Run(void*) {
            while (!stop.load()) YPlatformSleep(1);
            ended = true;
            return 0;
        }
    };
    {
        YPlatformThread thread;
        ASSERT_TRUE(thread.Create(&Body::Run, nullptr));
        ASSERT_TRUE(thread.Resume());
        thread.Close();
        EXPECT_FALSE(thread.IsCreated());
    }
    YPlatformSleep(20);
    EXPECT_FALSE(ended.load()) << "closing must not stop the thread";
    stop = true;
    const uint32_t start = YPlatformTickCount();
    while (!ended.load() && YPlatformTickCount() - start < 5000) YPlatformSleep(1);
    EXPECT_TRUE(ended.load());
}

TEST(YPlatformThreadThreading, PrioritiesTakeEffectOrFallBackWithoutFailing) {
    struct Case {
        int priority;
        bool mayNeedPrivileges;
    };
    const Case cases[] = {
        {YPlatformThread::kPriorityIdle, false},        {YPlatformThread::kPriorityLowest, false},
        {YPlatformThread::kPriorityBelowNormal, false}, {YPlatformThread::kPriorityNormal, false},
        {YPlatformThread::kPriorityAboveNormal, false}, {YPlatformThread::kPriorityHighest, true},
        {YPlatformThread::kPriorityTimeCritical, true}};
    for (const Case& c : cases) {
        std::atomic<bool> stop{false};
        YPlatformThread thread;
        ASSERT_TRUE(thread.Create(&Spin, &stop));
        EXPECT_TRUE(thread.SetPriority(c.priority)) << c.priority;
        const int inEffect = thread.Priority();
        if (c.mayNeedPrivileges)
            EXPECT_TRUE(inEffect == c.priority || inEffect == YPlatformThread::kPriorityNormal) << c.priority;
        else
            EXPECT_EQ(inEffect, c.priority);
        stop = true;
        thread.Resume();
        EXPECT_TRUE(thread.Wait(5000));
    }
}

TEST(YPlatformThreadThreading, RejectsUnknownPriorities) {
    std::atomic<bool> stop{true};
    YPlatformThread thread;
    ASSERT_TRUE(thread.Create(&Spin, &stop));
    for (int bad : {3, -3, 14, 16, -16}) EXPECT_FALSE(thread.SetPriority(bad)) << bad;
    EXPECT_EQ(thread.Priority(), YPlatformThread::kPriorityNormal);
    thread.Resume();
    EXPECT_TRUE(thread.Wait(5000));
}

namespace {
struct Nested {
    int childPriority = 99;
};

uint32_t CreateChild(void* argument) {
    auto* nested = static_cast<Nested*>(argument);
    std::atomic<bool> stop{true};
    YPlatformThread child;
    if (child.Create(&Spin, &stop)) {
        nested->childPriority = child.Priority();
        child.Resume();
        child.Wait(kYPlatformWaitInfinite);
    }
    return 0;
}
} // namespace

TEST(YPlatformThreadThreading, NewThreadStartsAtNormalPriorityWhateverItsCreatorRunsAt) {
    Nested nested;
    YPlatformThread parent;
    ASSERT_TRUE(parent.Create(&CreateChild, &nested));
    // Not idle: without privileges a thread may not leave that class, nor may its children.
    ASSERT_TRUE(parent.SetPriority(YPlatformThread::kPriorityLowest));
    ASSERT_EQ(parent.Priority(), YPlatformThread::kPriorityLowest);
    ASSERT_TRUE(parent.Resume());
    ASSERT_TRUE(parent.Wait(5000));
    EXPECT_EQ(nested.childPriority, YPlatformThread::kPriorityNormal);
}
