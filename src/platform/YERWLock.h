// The emulated read/write lock used by the GUI.
//
// YSynchronizationObject runs the acquisition loop under an internal lock and asks its
// subclass, through five operations, who may hold the object in which mode. Waiting never
// sleeps: it yields the processor and tests again.
//
// YERWLock: shared (mode 0) and exclusive (any other mode) holdings, re-entrant in both modes.
// A thread that is the only reader may take the lock exclusively as well (upgrade); a waiting
// writer keeps new readers out. If several readers ask for an upgrade at once, they get it one
// after the other, each while the others still hold their shared holdings: a reader that
// upgrades must not rely on what it read before the upgrade.
//
// Modes: only the lower 28 bits are the mode; the upper four bits are the caller's flags and
// ignored here.
#pragma once

#include "platform/YSynchronizer.h"
#include "platform/YPlatformTlsSlot.h"

#include <cstdint>

class YSynchronizationObject {
public:
    static constexpr uint32_t kShared = 0;
    static constexpr uint32_t kExclusive = 1;
    static constexpr uint32_t kModeMask = 0x0FFFFFFFu;
    static constexpr uint32_t kWaitInfinite = YSynchronizer::kWaitInfinite;

    YSynchronizationObject() = default;
    YSynchronizationObject(const YSynchronizationObject&) = delete;
    YSynchronizationObject& operator=(const YSynchronizationObject&) = delete;
    virtual ~YSynchronizationObject();

    // Takes the object in the given mode, waiting up to timeout milliseconds (0 tries once,
    // kWaitInfinite waits without limit). False, with nothing changed, on time-out.
    bool Acquire(uint32_t mode, uint32_t timeout);
    // Gives back one holding in the given mode; a mode the thread does not hold is ignored.
    // True when nobody holds the object any more.
    bool Release(uint32_t mode);

protected:
    static bool IsShared(uint32_t mode) noexcept { return (mode & kModeMask) == kShared; }

    // All five run under the internal lock.
    virtual void RegisterWaiting(uint32_t mode) = 0;
    virtual bool CanAcquire(uint32_t mode) = 0;
    virtual void Acquired(uint32_t mode) = 0;
    virtual void UnregisterWaiting(bool success, uint32_t mode) = 0;
    virtual bool Released(uint32_t mode) = 0;
    // False when the calling thread cannot count one more holding in this mode.
    virtual bool HasRoomFor(uint32_t mode) = 0;

private:
    YLock m_lock;
};

class YERWLock : public YSynchronizationObject {
public:
    // Raises "Could not allocate thread-local storage." when the process has no slot left.
    YERWLock();
    ~YERWLock() override;

    // The calling thread's holdings, for checks and tests.
    uint32_t SharedHoldings() const noexcept { return Own() & kCountMask; }
    uint32_t ExclusiveHoldings() const noexcept { return Own() >> 16; }

protected:
    void RegisterWaiting(uint32_t mode) override;
    bool CanAcquire(uint32_t mode) override;
    void Acquired(uint32_t mode) override;
    void UnregisterWaiting(bool success, uint32_t mode) override;
    bool Released(uint32_t mode) override;
    bool HasRoomFor(uint32_t mode) override;

private:
    static constexpr uint32_t kCountMask = 0xFFFFu;

    // The calling thread's holdings: exclusive in the upper 16 bits, shared in the lower 16.
    uint32_t Own() const noexcept;
    void SetOwn(uint32_t holdings) noexcept;

    YPlatformTlsSlot m_slot;
    uint32_t m_shared = 0;         // all shared holdings
    uint32_t m_exclusive = 0;      // all exclusive holdings
    uint32_t m_waitingWriters = 0; // threads waiting for exclusive holdings
    uint32_t m_waitingShared = 0;  // shared holdings of those threads
};

// Holds an emulated lock for one scope; raises "Could not acquire emulated synchronization
// object." when it cannot take it (nothing is held then).
class YScopedERWLock {
public:
    YScopedERWLock(YSynchronizationObject& object, uint32_t mode,
                   uint32_t timeout = YSynchronizationObject::kWaitInfinite);
    ~YScopedERWLock() { m_object.Release(m_mode); }
    YScopedERWLock(const YScopedERWLock&) = delete;
    YScopedERWLock& operator=(const YScopedERWLock&) = delete;

private:
    YSynchronizationObject& m_object;
    uint32_t m_mode;
};
