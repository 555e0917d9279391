#include "gui/toolkit/YControlInvalidatorThread.h"

#include "foundation/YException.h"
#include "gui/toolkit/YControlInvalidator.h"

#include <algorithm>

YControlInvalidatorThread::~YControlInvalidatorThread() { Stop(); }

void YControlInvalidatorThread::Register(YControlInvalidator& invalidator) {
    {
        YScopedLock hold(m_listLock);
        m_invalidators.push_back(&invalidator);
    }
    invalidator.SetThread(this);
}

void YControlInvalidatorThread::Unregister(YControlInvalidator& invalidator) {
    invalidator.SetThread(nullptr);
    YScopedLock hold(m_listLock);
    m_invalidators.erase(std::remove(m_invalidators.begin(), m_invalidators.end(), &invalidator),
                         m_invalidators.end());
}

int32_t YControlInvalidatorThread::RegisteredCount() {
    YScopedLock hold(m_listLock);
    return static_cast<int32_t>(m_invalidators.size());
}

void YControlInvalidatorThread::Pass() {
    YScopedLock hold(m_listLock);
    for (YControlInvalidator* invalidator : m_invalidators) {
        YGuard("YControlInvalidator::Process", [&] { invalidator->Process(); });
    }
    m_passes.fetch_add(1, std::memory_order_relaxed);
}

int32_t YControlInvalidatorThread::Thread() {
    return RunLoop(kBackstopMs, [this] { YGuard("YControlInvalidatorThread::Thread", [this] { Pass(); }); });
}
