#include "platform/YThread.h"

#include "foundation/YException.h"

namespace {
struct PriorityEntry {
    const char* name;
    int system;
};

constexpr PriorityEntry kPriorities[YThread::kPriorityCount] = {
    {"Idle", YPlatformThread::kPriorityIdle},
    {"Lowest", YPlatformThread::kPriorityLowest},
    {"Low", YPlatformThread::kPriorityBelowNormal},
    {"Normal", YPlatformThread::kPriorityNormal},
    {"High", YPlatformThread::kPriorityAboveNormal},
    {"Highest", YPlatformThread::kPriorityHighest},
    {"Critical", YPlatformThread::kPriorityTimeCritical},
};

bool InTable(YThread::Priority priority) { return priority >= 0 && priority < YThread::kPriorityCount; }
} // namespace

YString YThread::PriorityName(Priority priority) {
    return InTable(priority) ? YString::Literal(kPriorities[priority].name) : YString();
}

bool YThread::PriorityFromName(const YString& name, Priority& priority) {
    for (int32_t i = 0; i < kPriorityCount; ++i) {
        if (name == YString::Literal(kPriorities[i].name)) {
            priority = static_cast<Priority>(i);
            return true;
        }
    }
    return false;
}

int YThread::SystemPriority(Priority priority) noexcept {
    return InTable(priority) ? kPriorities[priority].system : YPlatformThread::kPriorityNormal;
}

YThread::YThread() = default;

YThread::~YThread() {
    YGuard("YThread::~YThread", [this] { Stop(); });
}

void YThread::Create() {
    YScopedLock hold(m_threadLock);
    if (m_thread.IsCreated()) return;
    {
        YScopedLock stopHold(m_stopLock);
        m_stop = false;
    }
    if (!m_thread.Create(&YThread::Entry, this)) YRaise("Could not create system thread.");
}

void YThread::SetPriority(Priority priority) {
    Create();
    YScopedLock hold(m_threadLock);
    if (!InTable(priority) || !m_thread.SetPriority(SystemPriority(priority)))
        YRaise("Could not set thread priority.");
}

void YThread::Start() {
    Create();
    YScopedLock hold(m_threadLock);
    m_thread.Resume();
}

void YThread::Stop() {
    YScopedLock hold(m_threadLock);
    if (!m_thread.IsCreated()) return;
    {
        YScopedLock stopHold(m_stopLock);
        m_stop = true;
    }
    m_wakeUp.Unlock();
    // A thread cannot wait for itself. It keeps its handle, so that the owner's Stop() still
    // waits for its end; when it is deleting itself, the handle member lets go of the thread.
    if (m_thread.IsCurrent()) return;
    // A thread that was never started must still run, to see the flag and end.
    m_thread.Resume();
    m_thread.Wait(kYPlatformWaitInfinite);
    m_thread.Close();
}

bool YThread::IsStopRequested() {
    YScopedLock hold(m_stopLock);
    return m_stop;
}

void YThread::WakeUp() {
    m_wakeUpCount.fetch_add(1, std::memory_order_acq_rel);
    m_wakeUp.Unlock();
}

bool YThread::TryWakeUp() noexcept {
    // A count left behind by a failed hand-over makes a later release read as a wake-up rather
    // than a stop; the loops check the stop flag themselves, so nothing is lost.
    m_wakeUpCount.fetch_add(1, std::memory_order_acq_rel);
    return m_wakeUp.TryUnlock();
}

bool YThread::WaitForWakeUp(uint32_t periodMs) {
    if (m_wakeUp.Lock(periodMs) != 0) return false;
    // Consume one WakeUp(); a release without one came from Stop() and is passed on.
    uint32_t count = m_wakeUpCount.load(std::memory_order_acquire);
    while (count != 0 && !m_wakeUpCount.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel)) {
    }
    if (count == 0) m_wakeUp.Unlock();
    return true;
}

uint32_t YThread::Entry(void* argument) {
    auto* self = static_cast<YThread*>(argument);
    bool stopped = true;
    YGuard("YThread::Entry", [&] { stopped = self->IsStopRequested(); });
    if (stopped) return 0;

    int32_t result = 0;
    YGuard("YThread::Thread", [&] { result = self->Thread(); });
    self->m_result.store(result, std::memory_order_release);
    YGuard("YThread::ThreadEnded", [&] { self->ThreadEnded(); });
    if (self->m_endNotification) YGuard("YThread::EndNotification", [&] { self->m_endNotification(*self); });
    if (self->m_deleteWhenFinished.load()) YGuard("YThread::Entry", [&] { delete self; });
    return static_cast<uint32_t>(result);
}
