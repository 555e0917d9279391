#include "gui/toolkit/YWindows.h"

#include "foundation/YException.h"
#include "gui/toolkit/YSystemEvent.h"
#include "gui/toolkit/YWindowSystem.h"
#include "platform/YPlatformTime.h"

namespace {
std::atomic<bool> g_ignoringMouse{false};
std::atomic<uint32_t> g_ignoreMouseUntil{0};
} // namespace

YWindows::YForceExecuteEventsThread::~YForceExecuteEventsThread() { Stop(); }

void YWindows::YForceExecuteEventsThread::Round() {
    if (m_requested.exchange(false, std::memory_order_acq_rel)) {
        m_system.SendForceExecuteEvents();
        m_wakes.fetch_add(1, std::memory_order_relaxed);
    }
}

int32_t YWindows::YForceExecuteEventsThread::Thread() {
    return RunLoop(kBackstopMs, [this] { YGuard("YWindows::YForceExecuteEventsThread::Thread", [this] { Round(); }); });
}

YWindows::YWindows(YWindowSystem& system, bool startThreads) : m_forceThread(system) {
    if (startThreads) {
        m_invalidatorThread.Start();
        m_forceThread.Start();
        m_threadsStarted = true;
    }
}

YWindows::~YWindows() { Shutdown(); }

void YWindows::Shutdown() noexcept {
    YGuard("Destroying invalidator thread", [this] { m_invalidatorThread.Stop(); });
    YGuard("Destroying force execute thread", [this] { m_forceThread.Stop(); });
    m_threadsStarted = false;
}

void YWindows::Post(const void* owner, std::function<void()> work) {
    {
        YScopedLock hold(m_queueLock);
        m_queue.push_back(Pending{owner, std::move(work)});
    }
    RequestForceExecute();
}

void YWindows::CancelPosted(const void* owner) {
    YScopedLock hold(m_queueLock);
    std::erase_if(m_queue, [owner](const Pending& p) { return p.owner == owner; });
}

int32_t YWindows::ExecutePendingEvents() {
    int32_t ran = 0;
    // One piece at a time, taken out under the lock: a piece may post more or cancel others.
    // What is posted meanwhile waits for the next call, so a piece that posts itself again
    // cannot keep the GUI thread here.
    for (int32_t budget = PendingCount(); budget > 0; --budget) {
        std::function<void()> work;
        {
            YScopedLock hold(m_queueLock);
            if (m_queue.empty()) break;
            work = std::move(m_queue.front().work);
            m_queue.erase(m_queue.begin());
        }
        YGuard("YWindows::ExecutePendingEvents", [&] { work(); });
        ++ran;
    }
    return ran;
}

int32_t YWindows::PendingCount() {
    YScopedLock hold(m_queueLock);
    return static_cast<int32_t>(m_queue.size());
}

void YWindows::PostThreadNotify(const void* owner, YEvent<YOnThreadNotifyParams>& event,
                                const YOnThreadNotifyParams& params) {
    YOnThreadNotifyParams copy = params;
    Post(owner, [&event, copy]() mutable { event.Fire(copy); });
}

void YWindows::IgnoreMouseFor(uint32_t ms) noexcept {
    g_ignoreMouseUntil.store(YPlatformTickCount() + ms, std::memory_order_relaxed);
    g_ignoringMouse.store(true, std::memory_order_release);
}

bool YWindows::DropMouseEvent(int32_t code) noexcept { return DropMouseEvent(code, YPlatformTickCount()); }

bool YWindows::DropMouseEvent(int32_t code, uint32_t now) noexcept {
    if (!g_ignoringMouse.load(std::memory_order_acquire)) return false;
    // Tick counts wrap: "earlier" is a negative signed difference.
    const auto ahead = static_cast<int32_t>(g_ignoreMouseUntil.load(std::memory_order_relaxed) - now);
    if (ahead <= 0) {
        g_ignoringMouse.store(false, std::memory_order_release);
        return false;
    }
    return code != YEventCode::kMouseLeave;
}
