// YControlInvalidatorThread: runs the passes of every registered window's invalidator, so
// that repaint requests from anywhere end up as paints on the GUI thread. One per window
// system (YWindows).
#pragma once

#include "platform/YSynchronizer.h"
#include "platform/YThread.h"

#include <cstdint>
#include <vector>

class YControlInvalidator;

class YControlInvalidatorThread : public YThread {
public:
    // The thread sleeps until an invalidator's dirty rectangle stops being empty (Wake); an
    // idle window costs no passes. The backstop only bounds a wake-up lost to a failed
    // hand-over.
    static constexpr uint32_t kBackstopMs = 1000;

    YControlInvalidatorThread() = default;
    ~YControlInvalidatorThread() override;

    // Under the list lock, so that a pass never runs on an invalidator being removed. A
    // registered invalidator wakes this thread when it gets something to repaint.
    void Register(YControlInvalidator& invalidator);
    void Unregister(YControlInvalidator& invalidator);
    int32_t RegisteredCount();

    // One pass over every registered invalidator (the thread's round; tests call it too).
    // A failing invalidator is reported and the others still run.
    void Pass();
    // Asks for a pass soon (any thread but the audio thread).
    void Wake() { WakeUp(); }
    // Passes run so far.
    uint32_t Passes() const noexcept { return m_passes.load(std::memory_order_relaxed); }

protected:
    int32_t Thread() override;

private:
    YLock m_listLock;
    std::vector<YControlInvalidator*> m_invalidators; // guarded by m_listLock
    std::atomic<uint32_t> m_passes{0};
};
