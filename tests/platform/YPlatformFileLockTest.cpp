#include "platform/YPlatformFileLock.h"

#include "platform/YPlatformFile.h"
#include "platform/YPlatformTime.h"
#include "support/ChildProcess.h"
#include "support/ScratchFolder.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {
YString File(const ScratchFolder& folder, const std::string& name) {
    return YString::FromUTF8(folder.Path(name));
}

// The second process: takes the lock named by the environment, raises the counter, says so
// through a marker file and ends while still holding the lock, so that its death must free it.
int HoldLockAndDie() {
    YPlatformFileLock lock;
    if (lock.Lock(YString::FromUTF8(child_process::Variable("VORNIK_TEST_LOCK")), 5000) !=
        YPlatformFileLock::Result::kLocked)
        return 2;
    uint64_t counter = 0;
    if (!lock.ReadCounter(counter) || !lock.WriteCounter(counter + 1)) return 3;
    std::ofstream(std::filesystem::u8path(child_process::Variable("VORNIK_TEST_MARKER"))) << "held";
    YPlatformSleep(static_cast<uint32_t>(std::stoi(child_process::Variable("VORNIK_TEST_HOLD_MS"))));
    std::_Exit(0);
}
const child_process::RegisterChildRole holdLockAndDie("hold-lock-and-die", &HoldLockAndDie);
} // namespace

TEST(YPlatformFileLock, LocksCreatesTheFileAndKeepsACounter) {
    ScratchFolder scratch;
    const YString path = File(scratch, "n\xC3\xA4me.xml.lock");
    YPlatformFileLock lock;
    uint64_t counter = 99;
    EXPECT_FALSE(lock.ReadCounter(counter)) << "not locked yet";
    EXPECT_FALSE(lock.WriteCounter(1));
    ASSERT_EQ(lock.Lock(path, 0), YPlatformFileLock::Result::kLocked);
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_EQ(lock.Lock(path, 0), YPlatformFileLock::Result::kFailed) << "one lock per object";
    ASSERT_TRUE(lock.ReadCounter(counter));
    EXPECT_EQ(counter, 0u) << "a new lock file counts from 0";
    ASSERT_TRUE(lock.WriteCounter(0x0102030405060708u));
    lock.Unlock();
    EXPECT_FALSE(lock.IsLocked());
    lock.Unlock(); // nothing to release

    // The counter outlives the lock and the file stays for the next holder.
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path.ToUTF8())));
    ASSERT_EQ(lock.Lock(path, 0), YPlatformFileLock::Result::kLocked);
    ASSERT_TRUE(lock.ReadCounter(counter));
    EXPECT_EQ(counter, 0x0102030405060708u);
}

TEST(YPlatformFileLock, AFolderThatCannotHoldTheLockFileFailsWithAReason) {
    ScratchFolder scratch;
    YPlatformFileLock lock;
    EXPECT_EQ(lock.Lock(File(scratch, "missing/folder/x.lock"), 100), YPlatformFileLock::Result::kFailed);
    EXPECT_FALSE(lock.ErrorText().IsEmpty());
    EXPECT_FALSE(lock.IsLocked());
}

TEST(YPlatformFileLockThreading, TwoObjectsInOneProcessExcludeEachOther) {
    ScratchFolder scratch;
    const YString path = File(scratch, "shared.lock");
    YPlatformFileLock first;
    ASSERT_EQ(first.Lock(path, 0), YPlatformFileLock::Result::kLocked);

    YPlatformFileLock second;
    EXPECT_EQ(second.Lock(path, 0), YPlatformFileLock::Result::kTimedOut);
    const uint32_t start = YPlatformTickCount();
    EXPECT_EQ(second.Lock(path, 60), YPlatformFileLock::Result::kTimedOut);
    const uint32_t waited = YPlatformTickCount() - start;
    EXPECT_GE(waited, 50u);
    EXPECT_TRUE(second.ErrorText().IsEmpty()) << "a time-out is no system failure";

    // A waiter in another thread gets the lock once the holder lets go.
    std::atomic<bool> done{false};
    YPlatformFileLock::Result result = YPlatformFileLock::Result::kFailed;
    std::thread waiter([&] {
        YPlatformFileLock third;
        result = third.Lock(path, 10000);
        done = true;
    });
    YPlatformSleep(30);
    EXPECT_FALSE(done.load());
    first.Unlock();
    waiter.join();
    EXPECT_EQ(result, YPlatformFileLock::Result::kLocked);
}

TEST(YPlatformFileLockThreading, CountedChangesUnderTheLockAreNeverLost) {
    ScratchFolder scratch;
    const YString path = File(scratch, "count.lock");
    constexpr int kThreads = 4, kRounds = 50;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                YPlatformFileLock lock;
                uint64_t value = 0;
                if (lock.Lock(path, 10000) != YPlatformFileLock::Result::kLocked || !lock.ReadCounter(value)) {
                    ++failures;
                    continue;
                }
                std::this_thread::yield(); // widen the window a lost update would need
                if (!lock.WriteCounter(value + 1)) ++failures;
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    YPlatformFileLock lock;
    ASSERT_EQ(lock.Lock(path, 0), YPlatformFileLock::Result::kLocked);
    uint64_t value = 0;
    ASSERT_TRUE(lock.ReadCounter(value));
    EXPECT_EQ(value, static_cast<uint64_t>(kThreads * kRounds));
}

TEST(YPlatformFileLock, AnotherProcessExcludesAndItsDeathReleases) {
    ScratchFolder scratch;
    const std::string marker = scratch.Path("marker");
    child_process::Child child("hold-lock-and-die", {{"VORNIK_TEST_LOCK", scratch.Path("process.lock")},
                                                     {"VORNIK_TEST_MARKER", marker},
                                                     {"VORNIK_TEST_HOLD_MS", "400"}});
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(std::filesystem::u8path(marker)); }, 20000));

    YPlatformFileLock lock;
    EXPECT_EQ(lock.Lock(File(scratch, "process.lock"), 0), YPlatformFileLock::Result::kTimedOut);
    ASSERT_EQ(lock.Lock(File(scratch, "process.lock"), 20000), YPlatformFileLock::Result::kLocked);
    uint64_t counter = 0;
    ASSERT_TRUE(lock.ReadCounter(counter));
    EXPECT_EQ(counter, 1u) << "the other process's counter";
    EXPECT_EQ(child.Wait(), 0);
}

TEST(YPlatformFileTest, StampTellsVersionsApart) {
    ScratchFolder scratch;
    const YString path = File(scratch, "stamped.xml");
    EXPECT_FALSE(YPlatformFile::Stamp(path).exists);
    EXPECT_FALSE(YPlatformFile::Stamp(File(scratch, "")).exists) << "a folder is no file";
    EXPECT_FALSE(YPlatformFile::Stamp(YString()).exists);

    std::ofstream(std::filesystem::u8path(path.ToUTF8()), std::ios::binary) << "one";
    const YPlatformFileStamp first = YPlatformFile::Stamp(path);
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(first.size, 3);
    EXPECT_EQ(YPlatformFile::Stamp(path), first) << "nothing changed";

    // Same size, moved over by a new file, as the preset writer does: told apart even within
    // one tick of the clock, since the identity changes.
    const YString other = File(scratch, "stamped.tmp");
    std::ofstream(std::filesystem::u8path(other.ToUTF8()), std::ios::binary) << "two";
    ASSERT_TRUE(YPlatformFile::Replace(other, path));
    const YPlatformFileStamp second = YPlatformFile::Stamp(path);
    EXPECT_EQ(second.size, 3);
    EXPECT_NE(second, first);

    // Written in place with a new size.
    std::ofstream(std::filesystem::u8path(path.ToUTF8()), std::ios::binary | std::ios::app) << "+";
    EXPECT_EQ(YPlatformFile::Stamp(path).size, 4);
    EXPECT_NE(YPlatformFile::Stamp(path), second);
}
