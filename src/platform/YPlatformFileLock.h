// YPlatformFileLock: an advisory, exclusive lock on a lock file that cooperating processes
// take before they change the file it guards. Two lock objects conflict even inside one
// process (each opens the file for itself), so two plug-in instances in one host exclude
// each other as two hosts do. The lock goes with the process: a holder that dies releases it.
//
// The lock file is created when missing and left in place afterwards: removing it would let a
// waiter that already opened it lock a file nobody else reaches any more. Its first eight
// bytes hold a counter that holders raise after each change of the guarded file, so that
// another process sees a change even when the file's size and time stamp look the same.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YPlatformFileLock {
public:
    enum class Result {
        kLocked,   // the lock is held
        kTimedOut, // another holder kept it for the whole time-out
        kFailed,   // the lock file could not be opened or created (see ErrorText)
    };

    YPlatformFileLock() noexcept = default;
    ~YPlatformFileLock() { Unlock(); }
    YPlatformFileLock(const YPlatformFileLock&) = delete;
    YPlatformFileLock& operator=(const YPlatformFileLock&) = delete;

    // Takes the lock on path, creating the file when needed. Retries with short sleeps for at
    // most timeoutMs (0 tries once); never waits without limit. A lock object holds one lock:
    // locking again while locked fails.
    Result Lock(const YString& path, uint32_t timeoutMs) noexcept;
    // Releases the lock and closes the file; nothing when not locked.
    void Unlock() noexcept;
    bool IsLocked() const noexcept { return m_handle != kNoHandle; }

    // The counter stored in the lock file (0 for a new file). Only while locked; false when
    // not locked or the file cannot be read.
    bool ReadCounter(uint64_t& value) noexcept;
    bool WriteCounter(uint64_t value) noexcept;

    // The system's text for the last failure of Lock, empty when there was none.
    const YString& ErrorText() const noexcept { return m_error; }

private:
    static constexpr intptr_t kNoHandle = -1;

    // The system's part (posix/ or win32/); the waiting and the counter's coding are common.
    enum class Attempt { kLocked, kBusy, kFailed };
    static intptr_t OpenFile(const YString& path, YString& error) noexcept; // kNoHandle on failure
    static Attempt TryLock(intptr_t handle, YString& error) noexcept;
    static void Release(intptr_t handle) noexcept; // unlocks when locked, then closes
    // Reads up to size bytes from the file's start; done says how many there were.
    static bool ReadHead(intptr_t handle, unsigned char* bytes, uint32_t size, uint32_t& done) noexcept;
    static bool WriteHead(intptr_t handle, const unsigned char* bytes, uint32_t size) noexcept;

    intptr_t m_handle = kNoHandle;
    YString m_error;
};
