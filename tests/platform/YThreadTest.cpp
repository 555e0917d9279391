#include "platform/YThread.h"

#include "foundation/YException.h"
#include "platform/YPlatformTime.h"
#include "support/RaisedMessage.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
// Runs once and returns a preset result.
class OnceThread : public YThread {
public:
    explicit OnceThread(int32_t result = 7) : m_resultToReturn(result) {}
    ~OnceThread() override { Stop(); }
    std::atomic<int> runs{0};

protected:
    int32_t Thread() override {
        ++runs;
        return m_resultToReturn;
    }

private:
    int32_t m_resultToReturn;
};

// A framework loop; each round may wait extra times on the wake-up semaphore.
class LoopThread : public YThread {
public:
    LoopThread(uint32_t periodMs, int extraWaitsPerRound = 0)
        : m_period(periodMs), m_extraWaits(extraWaitsPerRound) {}
    ~LoopThread() override { Stop(); }
    std::atomic<int> rounds{0};
    std::atomic<bool> ended{false};

protected:
    int32_t Thread() override {
        const int32_t result = RunLoop(m_period, [this] {
            ++rounds;
            for (int i = 0; i < m_extraWaits; ++i) WaitForWakeUp(m_period);
        });
        ended = true;
        return result;
    }

private:
    uint32_t m_period;
    int m_extraWaits;
};
} // namespace

TEST(YThread, PriorityTable) {
    struct Row {
        YThread::Priority priority;
        const char* name;
        int system;
    };
    const Row rows[] = {
        {YThread::kPriorityIdle, "Idle", -15},       {YThread::kPriorityLowest, "Lowest", -2},
        {YThread::kPriorityLow, "Low", -1},          {YThread::kPriorityNormal, "Normal", 0},
        {YThread::kPriorityHigh, "High", 1},         {YThread::kPriorityHighest, "Highest", 2},
        {YThread::kPriorityCritical, "Critical", 15}};
    for (const Row& row : rows) {
        EXPECT_EQ(YThread::PriorityName(row.priority).ToUTF8(), row.name);
        EXPECT_EQ(YThread::SystemPriority(row.priority), row.system) << row.name;
        YThread::Priority parsed = YThread::kPriorityNormal;
        EXPECT_TRUE(YThread::PriorityFromName(YString::Literal(row.name), parsed));
        EXPECT_EQ(parsed, row.priority);
    }
    YThread::Priority untouched = YThread::kPriorityHigh;
    EXPECT_FALSE(YThread::PriorityFromName("critical", untouched));
    EXPECT_EQ(untouched, YThread::kPriorityHigh);
    EXPECT_TRUE(YThread::PriorityName(static_cast<YThread::Priority>(7)).IsEmpty());
    EXPECT_EQ(YThread::SystemPriority(static_cast<YThread::Priority>(-1)), 0);
}

TEST(YThreadThreading, CreatedSuspendedAndRunsAfterStart) {
    OnceThread thread(42);
    thread.Create();
    EXPECT_TRUE(thread.IsCreated());
    YPlatformSleep(30);
    EXPECT_EQ(thread.runs.load(), 0);
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.runs.load() == 1; }));
    thread.Stop();
    EXPECT_FALSE(thread.IsCreated());
    EXPECT_EQ(thread.Result(), 42);
    EXPECT_EQ(thread.runs.load(), 1);
}

TEST(YThreadThreading, SetPriorityCreatesTheThreadAndUsesTheTable) {
    OnceThread critical;
    EXPECT_NO_THROW(critical.SetPriority(YThread::kPriorityCritical));
    EXPECT_TRUE(critical.IsCreated());
    const int inEffect = critical.SystemPriorityInEffect();
    // Windows applies 15 as it is; elsewhere the real-time class may be refused without privileges.
    EXPECT_TRUE(inEffect == 15 || inEffect == 0) << inEffect;

    OnceThread idle;
    idle.SetPriority(YThread::kPriorityIdle);
    EXPECT_EQ(idle.SystemPriorityInEffect(), -15);

    OnceThread bad;
    EXPECT_EQ(RaisedMessage([&] { bad.SetPriority(static_cast<YThread::Priority>(7)); }),
              "Could not set thread priority.");
    critical.Start();
    idle.Start();
    ASSERT_TRUE(WaitUntil([&] { return critical.runs.load() == 1 && idle.runs.load() == 1; }));
}

TEST(YThreadThreading, StopBeforeStartEndsTheThreadWithoutRunningTheBody) {
    OnceThread thread;
    thread.Create();
    const uint32_t start = YPlatformTickCount();
    thread.Stop(); // must not wait forever for a thread that was never resumed
    EXPECT_LT(YPlatformTickCount() - start, 2000u);
    EXPECT_FALSE(thread.IsCreated());
    EXPECT_EQ(thread.runs.load(), 0);
    EXPECT_EQ(thread.Result(), 0);
    thread.Stop(); // nothing left to stop
}

TEST(YThreadThreading, StopEndsALoopWellWithinOneWaitPeriod) {
    LoopThread thread(2000);
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.rounds.load() >= 1; }));
    const uint32_t start = YPlatformTickCount();
    thread.Stop();
    EXPECT_LT(YPlatformTickCount() - start, 500u);
    EXPECT_TRUE(thread.ended.load());
}

TEST(YThreadThreading, AStopRequestKeepsWakingEveryWait) {
    // Each round waits three times; the single release of Stop() must wake all of them.
    LoopThread thread(2000, 2);
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.rounds.load() >= 1; }));
    const uint32_t start = YPlatformTickCount();
    thread.Stop();
    EXPECT_LT(YPlatformTickCount() - start, 1000u);
    EXPECT_TRUE(thread.ended.load());
}

TEST(YThreadThreading, WakeUpRunsOneMoreRoundEarly) {
    LoopThread thread(10000);
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.rounds.load() == 1; }));
    thread.WakeUp();
    ASSERT_TRUE(WaitUntil([&] { return thread.rounds.load() == 2; }, 2000));
    YPlatformSleep(100);
    EXPECT_EQ(thread.rounds.load(), 2) << "a consumed wake-up must not keep waking the loop";
}

TEST(YThreadThreading, TheBaseDestructorStopsTheThread) {
    std::unique_ptr<LoopThread> thread = std::make_unique<LoopThread>(2000);
    thread->Start();
    ASSERT_TRUE(WaitUntil([&] { return thread->rounds.load() >= 1; }));
    const uint32_t start = YPlatformTickCount();
    thread.reset();
    EXPECT_LT(YPlatformTickCount() - start, 500u);
}

TEST(YThreadThreading, StoppedThreadCanBeStartedAgain) {
    OnceThread thread;
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.runs.load() == 1; }));
    thread.Stop();
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.runs.load() == 2; }));
}

namespace {
std::mutex g_eventsMutex;
std::vector<std::string> g_events;
void Record(const std::string& event) {
    std::lock_guard<std::mutex> hold(g_eventsMutex);
    g_events.push_back(event);
}
std::vector<std::string> Events() {
    std::lock_guard<std::mutex> hold(g_eventsMutex);
    return g_events;
}

class RecordingThread : public YThread {
public:
    enum class Body { kReturn, kRaiseYException, kRaiseForeign };
    explicit RecordingThread(Body body) : m_body(body) {}
    ~RecordingThread() override {
        Stop();
        Record("deleted");
    }

protected:
    int32_t Thread() override {
        Record("body");
        if (m_body == Body::kRaiseYException) YRaise("Body failed.");
        if (m_body == Body::kRaiseForeign) throw std::runtime_error("foreign");
        return 5;
    }
    void ThreadEnded() override { Record("end hook"); }

private:
    Body m_body;
};

void RecordReport(const YString& text) { Record("report: " + text.ToUTF8()); }
} // namespace

TEST(YThreadThreading, DeletesItselfAfterBodyHookAndNotification) {
    {
        std::lock_guard<std::mutex> hold(g_eventsMutex);
        g_events.clear();
    }
    auto* thread = new RecordingThread(RecordingThread::Body::kReturn);
    thread->SetDeleteWhenFinished(true);
    thread->SetEndNotification([](YThread& ended) { Record("notified " + std::to_string(ended.Result())); });
    thread->Start();
    ASSERT_TRUE(WaitUntil([] { return Events().size() == 4; }));
    const std::vector<std::string> expected = {"body", "end hook", "notified 5", "deleted"};
    EXPECT_EQ(Events(), expected);
}

TEST(YThreadThreading, ExceptionsInTheBodyStayOnTheThread) {
    {
        std::lock_guard<std::mutex> hold(g_eventsMutex);
        g_events.clear();
    }
    const YErrorReportHook previous = YSetErrorReportHook(&RecordReport);
    {
        RecordingThread framework(RecordingThread::Body::kRaiseYException);
        framework.Start();
        ASSERT_TRUE(WaitUntil([] { return Events().size() == 2; }));
        EXPECT_EQ(framework.Result(), 0);
    }
    {
        RecordingThread foreign(RecordingThread::Body::kRaiseForeign);
        foreign.Start();
        ASSERT_TRUE(WaitUntil([] { return Events().size() == 6; }));
    }
    YSetErrorReportHook(previous);
    const std::vector<std::string> expected = {
        "body",     "end hook", "deleted", "body", "report: SYSTEM EXCEPTION! YThread::Thread",
        "end hook", "deleted"};
    EXPECT_EQ(Events(), expected);
}

namespace {
// Asks for its own stop from inside the body, then keeps going for a while.
class SelfStoppingThread : public YThread {
public:
    ~SelfStoppingThread() override { Stop(); }
    std::atomic<bool> stopSeen{false};
    std::atomic<bool> finished{false};

protected:
    int32_t Thread() override {
        Stop();
        stopSeen = IsStopRequested();
        YPlatformSleep(100);
        finished = true;
        return 3;
    }
};
} // namespace

TEST(YThreadThreading, StopFromTheBodyLeavesTheOwnerAbleToWait) {
    SelfStoppingThread thread;
    thread.Start();
    ASSERT_TRUE(WaitUntil([&] { return thread.stopSeen.load(); }));
    thread.Stop(); // must still wait for the body, which is sleeping
    EXPECT_TRUE(thread.finished.load());
    EXPECT_EQ(thread.Result(), 3);
}
