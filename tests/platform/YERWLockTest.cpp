#include "platform/YERWLock.h"

#include "foundation/YException.h"
#include "platform/YPlatformTime.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr uint32_t kShared = YSynchronizationObject::kShared;
constexpr uint32_t kExclusive = YSynchronizationObject::kExclusive;
constexpr uint32_t kForever = YSynchronizationObject::kWaitInfinite;

template <typename F> bool OnOtherThread(F&& f) {
    bool result = false;
    std::thread([&] { result = f(); }).join();
    return result;
}

// A thread that takes the lock in a mode, holds it until told, then releases it.
class Holder {
public:
    Holder(YERWLock& lock, uint32_t mode) : m_lock(lock), m_mode(mode) {
        m_thread = std::thread([this] {
            if (m_lock.Acquire(m_mode, kForever)) {
                m_holding = true;
                while (!m_letGo.load()) YPlatformSleep(1);
                m_lock.Release(m_mode);
            }
            m_done = true;
        });
    }
    ~Holder() {
        LetGo();
        m_thread.join();
    }
    bool Holding() const { return m_holding.load(); }
    bool Done() const { return m_done.load(); }
    void LetGo() { m_letGo = true; }

private:
    YERWLock& m_lock;
    uint32_t m_mode;
    std::atomic<bool> m_holding{false}, m_letGo{false}, m_done{false};
    std::thread m_thread;
};
} // namespace

TEST(YERWLock, ReentrantInBothModesAndCountedPerThread) {
    YERWLock lock;
    EXPECT_TRUE(lock.Acquire(kShared, 0));
    EXPECT_TRUE(lock.Acquire(kShared, 0));
    EXPECT_EQ(lock.SharedHoldings(), 2u);
    EXPECT_TRUE(lock.Acquire(kExclusive, 0)) << "the only reader upgrades";
    EXPECT_TRUE(lock.Acquire(kExclusive, 0));
    EXPECT_TRUE(lock.Acquire(kShared, 0)) << "a writer may also read";
    EXPECT_EQ(lock.ExclusiveHoldings(), 2u);
    EXPECT_EQ(lock.SharedHoldings(), 3u);

    EXPECT_FALSE(lock.Release(kExclusive));
    EXPECT_FALSE(lock.Release(kExclusive));
    EXPECT_EQ(lock.ExclusiveHoldings(), 0u);
    EXPECT_FALSE(lock.Release(kShared));
    EXPECT_FALSE(lock.Release(kShared));
    EXPECT_TRUE(lock.Release(kShared)) << "nothing held any more";
    EXPECT_EQ(lock.SharedHoldings(), 0u);
}

TEST(YERWLock, ReleasingAModeNotHeldChangesNothing) {
    YERWLock lock;
    EXPECT_TRUE(lock.Release(kExclusive));
    ASSERT_TRUE(lock.Acquire(kShared, 0));
    EXPECT_FALSE(lock.Release(kExclusive)) << "the shared holding remains";
    EXPECT_EQ(lock.SharedHoldings(), 1u);
    EXPECT_TRUE(lock.Release(kShared));
    EXPECT_TRUE(lock.Release(kShared));
    EXPECT_TRUE(OnOtherThread([&] { return lock.Acquire(kExclusive, 0) && lock.Release(kExclusive); }))
        << "counts must not have gone below zero";
}

TEST(YERWLock, UpperFourModeBitsAreCallerFlags) {
    struct Case {
        uint32_t mode;
        uint32_t shared, exclusive;
    };
    const Case cases[] = {{0x10000000u, 1, 0}, {0xF0000000u, 1, 0}, {0x80000001u, 0, 1}, {0x00000002u, 0, 1}};
    for (const Case& c : cases) {
        YERWLock lock;
        ASSERT_TRUE(lock.Acquire(c.mode, 0)) << std::hex << c.mode;
        EXPECT_EQ(lock.SharedHoldings(), c.shared) << std::hex << c.mode;
        EXPECT_EQ(lock.ExclusiveHoldings(), c.exclusive) << std::hex << c.mode;
        EXPECT_TRUE(lock.Release(c.mode));
    }
}

TEST(YERWLock, PerThreadCountsStopAtTheirLimitInsteadOfOverflowing) {
    YERWLock lock;
    for (int i = 0; i < 0xFFFF; ++i) ASSERT_TRUE(lock.Acquire(kShared, 0)) << i;
    EXPECT_FALSE(lock.Acquire(kShared, kForever)) << "a 16-bit count is full";
    EXPECT_EQ(lock.SharedHoldings(), 0xFFFFu);
    EXPECT_EQ(lock.ExclusiveHoldings(), 0u) << "no carry into the exclusive count";
    EXPECT_TRUE(lock.Acquire(kExclusive, 0));
    EXPECT_FALSE(lock.Release(kExclusive));
    for (int i = 0; i < 0xFFFF; ++i) lock.Release(kShared);
    EXPECT_EQ(lock.SharedHoldings(), 0u);
}

TEST(YERWLock, EachLockHasItsOwnThreadSlot) {
    YERWLock a, b;
    ASSERT_TRUE(a.Acquire(kExclusive, 0));
    EXPECT_EQ(b.ExclusiveHoldings(), 0u);
    EXPECT_TRUE(b.Acquire(kShared, 0));
    EXPECT_EQ(a.SharedHoldings(), 0u);
    a.Release(kExclusive);
    b.Release(kShared);
}

TEST(YERWLockThreading, ReadersShareAndAWriterExcludesEveryoneElse) {
    YERWLock lock;
    {
        Holder reader(lock, kShared);
        ASSERT_TRUE(WaitUntil([&] { return reader.Holding(); }));
        EXPECT_TRUE(lock.Acquire(kShared, 0));
        lock.Release(kShared);
    }
    Holder writer(lock, kExclusive);
    ASSERT_TRUE(WaitUntil([&] { return writer.Holding(); }));
    EXPECT_FALSE(lock.Acquire(kShared, 0));
    EXPECT_FALSE(lock.Acquire(kExclusive, 20));
    writer.LetGo();
    ASSERT_TRUE(WaitUntil([&] { return writer.Done(); }));
    EXPECT_TRUE(lock.Acquire(kExclusive, 0));
    EXPECT_TRUE(lock.Release(kExclusive));
}

TEST(YERWLockThreading, UpgradeWaitsForAnotherReaderAndTimesOutCleanly) {
    YERWLock lock;
    ASSERT_TRUE(lock.Acquire(kShared, 0));
    Holder reader(lock, kShared);
    ASSERT_TRUE(WaitUntil([&] { return reader.Holding(); }));

    const uint32_t start = YPlatformTickCount();
    EXPECT_FALSE(lock.Acquire(kExclusive, 60));
    EXPECT_GE(YPlatformTickCount() - start, 50u);
    EXPECT_EQ(lock.ExclusiveHoldings(), 0u);
    // The failed request no longer counts as a waiting writer: new readers get in.
    EXPECT_TRUE(OnOtherThread([&] { return lock.Acquire(kShared, 0) && !lock.Release(kShared); }));

    // Once the other reader leaves, the upgrade goes through.
    reader.LetGo();
    ASSERT_TRUE(WaitUntil([&] { return reader.Done(); }));
    EXPECT_TRUE(lock.Acquire(kExclusive, 1000));
    lock.Release(kExclusive);
    EXPECT_TRUE(lock.Release(kShared));
}

TEST(YERWLockThreading, UpgradeWithoutTimeoutCompletesWhenTheOtherReaderLeaves) {
    YERWLock lock;
    ASSERT_TRUE(lock.Acquire(kShared, 0));
    Holder reader(lock, kShared);
    ASSERT_TRUE(WaitUntil([&] { return reader.Holding(); }));
    std::thread letGo([&] {
        YPlatformSleep(50);
        reader.LetGo();
    });
    const uint32_t start = YPlatformTickCount();
    EXPECT_TRUE(lock.Acquire(kExclusive, kForever));
    EXPECT_GE(YPlatformTickCount() - start, 30u);
    // The reader marks itself done just after its release, which is what let the writer in.
    EXPECT_TRUE(WaitUntil([&] { return reader.Done(); }));
    letGo.join();
    lock.Release(kExclusive);
    EXPECT_TRUE(lock.Release(kShared));
}

TEST(YERWLockThreading, AWaitingWriterBlocksNewReadersButNotPresentOnes) {
    YERWLock lock;
    std::atomic<bool> readerHolds{false}, readerReentered{false}, readerLetGo{false};
    std::thread reader([&] {
        lock.Acquire(kShared, kForever);
        readerHolds = true;
        while (!readerLetGo.load()) YPlatformSleep(1);
        readerReentered = lock.Acquire(kShared, 0); // already a reader: admitted despite the writer
        lock.Release(kShared);
        lock.Release(kShared);
    });
    ASSERT_TRUE(WaitUntil([&] { return readerHolds.load(); }));

    std::atomic<bool> writerGotIt{false};
    std::atomic<bool> writerLetGo{false};
    std::thread writer([&] {
        writerGotIt = lock.Acquire(kExclusive, kForever);
        while (!writerLetGo.load()) YPlatformSleep(1);
        lock.Release(kExclusive);
    });
    YPlatformSleep(30);
    EXPECT_FALSE(writerGotIt.load()) << "a reader is present";
    EXPECT_FALSE(lock.Acquire(kShared, 30)) << "a writer is waiting";

    readerLetGo = true;
    reader.join();
    EXPECT_TRUE(readerReentered.load());
    ASSERT_TRUE(WaitUntil([&] { return writerGotIt.load(); }));
    EXPECT_FALSE(lock.Acquire(kShared, 0)) << "the writer holds it";
    writerLetGo = true;
    writer.join();
    EXPECT_TRUE(lock.Acquire(kShared, 0));
    EXPECT_TRUE(lock.Release(kShared));
}

TEST(YERWLockThreading, HammeredByReadersAndWritersKeepsItsInvariant) {
    YERWLock lock;
    // Writers keep the two halves equal; a reader that sees them differ saw a write in flight.
    long halves[2] = {0, 0};
    std::atomic<int> readersInside{0}, writersInside{0}, violations{0};
    constexpr int kThreads = 4, kRounds = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            uint32_t seed = 12345u + static_cast<uint32_t>(t);
            for (int r = 0; r < kRounds; ++r) {
                seed = seed * 214013u + 2531011u;
                const uint32_t pick = (seed >> 16) & 7u;
                if (pick < 5) {
                    YScopedERWLock hold(lock, kShared);
                    ++readersInside;
                    if (writersInside.load() != 0) ++violations;
                    if (pick == 0) {
                        YScopedERWLock again(lock, kShared); // re-entry under a waiting writer
                        if (halves[0] != halves[1]) ++violations;
                    }
                    if (halves[0] != halves[1]) ++violations;
                    --readersInside;
                } else {
                    YScopedERWLock hold(lock, 0x40000000u | kExclusive);
                    if (++writersInside != 1 || readersInside.load() != 0) ++violations;
                    ++halves[0];
                    if (pick == 7) {
                        YScopedERWLock again(lock, kExclusive);
                        YScopedERWLock read(lock, kShared);
                    }
                    ++halves[1];
                    --writersInside;
                }
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(violations.load(), 0);
    EXPECT_EQ(halves[0], halves[1]);
    EXPECT_GT(halves[0], 0);
    EXPECT_TRUE(lock.Acquire(kExclusive, 0)) << "every holding was given back";
    EXPECT_TRUE(lock.Release(kExclusive));
}

TEST(YScopedERWLockThreading, RaisesWhenTheLockIsHeldElsewhere) {
    YERWLock lock;
    Holder writer(lock, kExclusive);
    ASSERT_TRUE(WaitUntil([&] { return writer.Holding(); }));
    std::string message = "(nothing raised)";
    try {
        YScopedERWLock hold(lock, kShared, 20);
    } catch (const YException& e) {
        message = e.Message().ToUTF8();
    }
    EXPECT_EQ(message, "Could not acquire emulated synchronization object.");
    EXPECT_EQ(lock.SharedHoldings(), 0u);
}

TEST(YScopedERWLock, ReleasesOnLeavingTheScope) {
    YERWLock lock;
    {
        YScopedERWLock hold(lock, kExclusive);
        EXPECT_EQ(lock.ExclusiveHoldings(), 1u);
        YScopedERWLock read(lock, kShared, 0);
        EXPECT_EQ(lock.SharedHoldings(), 1u);
    }
    EXPECT_EQ(lock.ExclusiveHoldings(), 0u);
    EXPECT_EQ(lock.SharedHoldings(), 0u);
}
