// YWindows: what the window systems share beside the native windows: the invalidator thread,
// the force-execute thread and the queue of work that other threads hand to the GUI thread.
//
// Other threads never touch controls. They post work (Post, run on the GUI thread by
// ExecutePendingEvents) or only ask for the GUI thread to be woken (RequestForceExecute: an
// atomic flag, safe even on the audio thread); the force-execute thread sees the flag and
// wakes the GUI thread through the window system (slot 34), whose message loop then calls
// ExecutePendingEvents.
//
// A window system owns one YWindows and calls Shutdown() first in its destructor, while its
// own operations can still be called.
#pragma once

#include "gui/toolkit/YControlInvalidatorThread.h"
#include "gui/toolkit/YEvent.h"
#include "gui/toolkit/YEventParams.h"
#include "platform/YSynchronizer.h"
#include "platform/YThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class YWindowSystem;

class YWindows {
public:
    // Wakes the GUI thread when asked to. It sleeps until a request wakes it; kBackstopMs only
    // catches a wake-up that a request could not hand over without waiting (a contended
    // semaphore), so an idle editor costs no rounds.
    class YForceExecuteEventsThread : public YThread {
    public:
        static constexpr uint32_t kBackstopMs = 1000;

        explicit YForceExecuteEventsThread(YWindowSystem& system) : m_system(system) {}
        ~YForceExecuteEventsThread() override;

        // Never waits: any thread, the audio thread included. Only the request that finds none
        // pending wakes the thread.
        void Request() noexcept {
            if (!m_requested.exchange(true, std::memory_order_acq_rel)) TryWakeUp();
        }
        // One round: wakes the GUI thread when a request is pending (the thread's round).
        void Round();
        uint32_t Wakes() const noexcept { return m_wakes.load(std::memory_order_relaxed); }

    protected:
        int32_t Thread() override;

    private:
        YWindowSystem& m_system;
        std::atomic<bool> m_requested{false};
        std::atomic<uint32_t> m_wakes{0};
    };

    // startThreads false: nothing runs by itself; the owner drives passes and rounds (the
    // headless window system does, for tests that must be deterministic).
    YWindows(YWindowSystem& system, bool startThreads);
    ~YWindows();
    YWindows(const YWindows&) = delete;
    YWindows& operator=(const YWindows&) = delete;

    // Stops both threads (failures are reported as "Destroying invalidator thread" and
    // "Destroying force execute thread"); later posts still queue, nothing wakes.
    void Shutdown() noexcept;

    YControlInvalidatorThread& InvalidatorThread() noexcept { return m_invalidatorThread; }
    YForceExecuteEventsThread& ForceExecuteThread() noexcept { return m_forceThread; }
    bool ThreadsStarted() const noexcept { return m_threadsStarted; }

    // Queues work for the GUI thread under an owner key (CancelPosted(owner) drops what is
    // still queued, for an owner that dies) and asks for a wake-up. Not for the audio thread
    // (it allocates); the audio thread calls RequestForceExecute only.
    void Post(const void* owner, std::function<void()> work);
    void CancelPosted(const void* owner);
    void RequestForceExecute() noexcept { m_forceThread.Request(); }
    // Fires event with params on the GUI thread: how a thread tells the GUI something. The
    // event must live until it ran or CancelPosted(owner) dropped it.
    void PostThreadNotify(const void* owner, YEvent<YOnThreadNotifyParams>& event, const YOnThreadNotifyParams& params);
    // GUI thread: runs the queued work in order, each piece guarded. Returns how many ran.
    int32_t ExecutePendingEvents();
    int32_t PendingCount();

    // The process-wide pause of the mouse after a window was shown with a pause (window-system
    // slot 26), so the click that opened it does not act in it too: until the tick count
    // reaches the end, every mouse event but a leave is dropped; the first event at or after
    // the end lifts the pause. GUI thread.
    static void IgnoreMouseFor(uint32_t ms) noexcept;
    static bool DropMouseEvent(int32_t code) noexcept;
    static bool DropMouseEvent(int32_t code, uint32_t now) noexcept;

private:
    struct Pending {
        const void* owner;
        std::function<void()> work;
    };

    YControlInvalidatorThread m_invalidatorThread;
    YForceExecuteEventsThread m_forceThread;
    bool m_threadsStarted = false;
    YLock m_queueLock;
    std::vector<Pending> m_queue; // guarded by m_queueLock
};
