// YPlatformThread: a system thread that is created suspended and runs its entry function
// only after Resume().
//
// Priorities use the Windows scale: -15 idle, -2 lowest, -1 below normal, 0 normal,
// 1 above normal, 2 highest, 15 time critical.
//
// On Windows they are set as they are. Elsewhere each value maps to a scheduling class
// that an unprivileged process may use, and real-time classes are tried but not required:
//   -15           SCHED_IDLE
//   -2, -1        SCHED_BATCH (niceness unchanged)
//   0, 1          SCHED_OTHER
//   2             SCHED_FIFO at its lowest priority,  falling back to SCHED_OTHER
//   15            SCHED_FIFO at the middle priority,  falling back to SCHED_OTHER
// A change the system refuses for lack of privileges is skipped silently; SetPriority()
// then still succeeds and Priority() reports the class actually in effect.
#pragma once

#include "platform/YPlatformTime.h"

#include <cstdint>

// The thread's body; its return value becomes the thread's exit code.
using YPlatformThreadEntry = uint32_t (*)(void* argument);

class YPlatformThread {
public:
    static constexpr int kPriorityIdle = -15;
    static constexpr int kPriorityLowest = -2;
    static constexpr int kPriorityBelowNormal = -1;
    static constexpr int kPriorityNormal = 0;
    static constexpr int kPriorityAboveNormal = 1;
    static constexpr int kPriorityHighest = 2;
    static constexpr int kPriorityTimeCritical = 15;

    YPlatformThread() noexcept = default;
    // Closes the handle (see Close()); does not wait for the thread.
    ~YPlatformThread() { Close(); }
    YPlatformThread(const YPlatformThread&) = delete;
    YPlatformThread& operator=(const YPlatformThread&) = delete;

    // Creates the thread suspended; entry(argument) runs after Resume(). False on failure
    // or if this object already holds a thread.
    bool Create(YPlatformThreadEntry entry, void* argument) noexcept;
    bool IsCreated() const noexcept { return m_handle != nullptr; }

    // Lets a suspended thread run; a no-op for a running or ended thread.
    bool Resume() noexcept;

    // One of the values above; false for another value, without a thread, or when the
    // system rejects the thread.
    bool SetPriority(int priority) noexcept;
    // The priority in effect (kPriorityNormal without a thread).
    int Priority() const noexcept;

    // Waits up to timeoutMs for the thread to end; true when it has ended.
    bool Wait(uint32_t timeoutMs) noexcept;
    // The entry's return value once the thread has ended; false before that.
    bool ExitCode(uint32_t& code) const noexcept;

    // True when called on this thread itself.
    bool IsCurrent() const noexcept;

    // Releases the handle without waiting: a running thread runs on to its end on its own;
    // a thread that was never resumed ends without running its entry.
    void Close() noexcept;

private:
    void* m_handle = nullptr;
};
