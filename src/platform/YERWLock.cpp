#include "platform/YERWLock.h"

#include "foundation/YException.h"
#include "platform/YPlatformTime.h"

YSynchronizationObject::~YSynchronizationObject() = default;

bool YSynchronizationObject::Acquire(uint32_t mode, uint32_t timeout) {
    {
        YScopedLock hold(m_lock);
        // A 16-bit count that would overflow can never be granted.
        if (!HasRoomFor(mode)) return false;
        RegisterWaiting(mode);
    }
    const uint32_t start = YPlatformTickCount();
    for (;;) {
        {
            YScopedLock hold(m_lock);
            if (CanAcquire(mode)) {
                UnregisterWaiting(true, mode);
                Acquired(mode);
                return true;
            }
            if (timeout != kWaitInfinite && YPlatformTickCount() - start >= timeout) {
                UnregisterWaiting(false, mode);
                return false;
            }
        }
        YPlatformYieldProcessor();
    }
}

bool YSynchronizationObject::Release(uint32_t mode) {
    YScopedLock hold(m_lock);
    return Released(mode);
}

YERWLock::YERWLock() {
    if (!m_slot.Allocate()) YRaise("Could not allocate thread-local storage.");
}

YERWLock::~YERWLock() = default;

uint32_t YERWLock::Own() const noexcept {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_slot.Get()));
}

void YERWLock::SetOwn(uint32_t holdings) noexcept {
    m_slot.Set(reinterpret_cast<void*>(static_cast<uintptr_t>(holdings)));
}

bool YERWLock::HasRoomFor(uint32_t mode) {
    const uint32_t own = Own();
    return (IsShared(mode) ? (own & kCountMask) : (own >> 16)) < kCountMask;
}

void YERWLock::RegisterWaiting(uint32_t mode) {
    if (IsShared(mode)) return;
    ++m_waitingWriters;
    m_waitingShared += Own() & kCountMask;
}

void YERWLock::UnregisterWaiting(bool, uint32_t mode) {
    if (IsShared(mode)) return;
    // The thread's shared holdings have not changed while it waited.
    --m_waitingWriters;
    m_waitingShared -= Own() & kCountMask;
}

bool YERWLock::CanAcquire(uint32_t mode) {
    const uint32_t own = Own();
    const bool ownExclusive = (own >> 16) != 0;
    if (IsShared(mode))
        return ownExclusive || (own & kCountMask) != 0 || (m_exclusive == 0 && m_waitingWriters == 0);
    // Exclusive: re-entry, or no writer and every reader is waiting to write (upgrade).
    return ownExclusive || (m_exclusive == 0 && m_shared == m_waitingShared);
}

void YERWLock::Acquired(uint32_t mode) {
    if (IsShared(mode)) {
        ++m_shared;
        SetOwn(Own() + 1);
    } else {
        ++m_exclusive;
        SetOwn(Own() + (1u << 16));
    }
}

bool YERWLock::Released(uint32_t mode) {
    const uint32_t own = Own();
    if (IsShared(mode)) {
        if ((own & kCountMask) != 0) {
            --m_shared;
            SetOwn(own - 1);
        }
    } else if ((own >> 16) != 0) {
        --m_exclusive;
        SetOwn(own - (1u << 16));
    }
    return m_shared == 0 && m_exclusive == 0;
}

YScopedERWLock::YScopedERWLock(YSynchronizationObject& object, uint32_t mode, uint32_t timeout)
    : m_object(object), m_mode(mode) {
    if (!m_object.Acquire(mode, timeout)) YRaise("Could not acquire emulated synchronization object.");
}
