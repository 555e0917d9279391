// YThread: a framework thread. The system thread is created suspended, given its priority
// and started; Stop() (also run by the destructor) asks it to end, wakes it and waits for it.
//
// Subclasses implement Thread(), the body, and may override ThreadEnded(), which runs after
// the body on the thread itself. A subclass whose body uses its own members must call Stop()
// in its own destructor: by the time the base destructor runs, those members are gone.
//
// Loop bodies read the stop flag each round and sleep on the wake-up semaphore between rounds
// (see RunLoop()); WakeUp() starts the next round early.
#pragma once

#include "foundation/YString.h"
#include "platform/YSynchronizer.h"
#include "platform/YPlatformThread.h"

#include <atomic>
#include <cstdint>
#include <functional>

class YThread {
public:
    enum Priority : int32_t {
        kPriorityIdle = 0,
        kPriorityLowest = 1,
        kPriorityLow = 2,
        kPriorityNormal = 3,
        kPriorityHigh = 4,
        kPriorityHighest = 5,
        kPriorityCritical = 6,
    };
    static constexpr int32_t kPriorityCount = 7;

    // "Idle", "Lowest", "Low", "Normal", "High", "Highest", "Critical"; empty when out of range.
    static YString PriorityName(Priority priority);
    // The inverse of PriorityName; false for an unknown name.
    static bool PriorityFromName(const YString& name, Priority& priority);
    // The Windows priority: -15, -2, -1, 0, 1, 2, 15; 0 when out of range.
    static int SystemPriority(Priority priority) noexcept;

    // Called on the thread after the body and the end hook, unless the thread was stopped
    // before it started. Set it before Start().
    using EndNotification = std::function<void(YThread& thread)>;

    YThread();
    virtual ~YThread();
    YThread(const YThread&) = delete;
    YThread& operator=(const YThread&) = delete;

    // Creates the suspended system thread unless one exists; raises "Could not create system
    // thread.". A thread created after Stop() starts with a cleared stop flag.
    void Create();
    // Creates the thread if needed and sets its priority; raises "Could not set thread
    // priority." (also for a value outside the table).
    void SetPriority(Priority priority);
    // Creates the thread if needed and lets it run.
    void Start();
    // Sets the stop flag, wakes the thread and waits for it to end, then closes it. Called on
    // the thread itself it cannot wait: it only sets the flag and wakes the loop.
    void Stop();

    bool IsCreated() const noexcept { return m_thread.IsCreated(); }
    // Reads the stop flag under its lock.
    bool IsStopRequested();
    // Starts the next round of a loop early.
    void WakeUp();
    // The same without waiting for the semaphore's lock (safe on the audio thread); false when
    // the wake-up could not be handed over at once, which the loop's own period must then catch.
    bool TryWakeUp() noexcept;

    // The body's result (0 until it has run, and when the thread was stopped before starting).
    int32_t Result() const noexcept { return m_result.load(std::memory_order_acquire); }

    // The object deletes itself after its thread ends (it must have been created with new,
    // and nobody else may delete or stop it then).
    void SetDeleteWhenFinished(bool deleteWhenFinished) noexcept {
        m_deleteWhenFinished = deleteWhenFinished;
    }
    void SetEndNotification(EndNotification notification) { m_endNotification = std::move(notification); }

    // The priority the system reports for the thread (Windows scale), for checks.
    int SystemPriorityInEffect() const noexcept { return m_thread.Priority(); }

protected:
    // The body; its result becomes Result().
    virtual int32_t Thread() = 0;
    // Runs after the body, on the thread; does nothing by default.
    virtual void ThreadEnded() {}

    // Waits up to periodMs for WakeUp() or Stop(); true when woken. A wake-up that was not
    // asked for by WakeUp() (that is, a stop request) is handed on, so that every later wait
    // returns at once too until the loop ends.
    bool WaitForWakeUp(uint32_t periodMs);

    // The framework loop: until a stop is requested, run step() and wait up to periodMs.
    template <typename Step> int32_t RunLoop(uint32_t periodMs, Step&& step) {
        while (!IsStopRequested()) {
            step();
            WaitForWakeUp(periodMs);
        }
        return 0;
    }

private:
    static uint32_t Entry(void* argument);

    YPlatformThread m_thread;
    std::atomic<int32_t> m_result{0};
    std::atomic<bool> m_deleteWhenFinished{false};
    YLock m_stopLock;
    bool m_stop = false; // guarded by m_stopLock
    YSemaphore m_wakeUp;
    std::atomic<uint32_t> m_wakeUpCount{0};
    YMutex m_threadLock; // creation and destruction
    EndNotification m_endNotification;
};
