// The process-wide lock that guards the framework's shared registration lists. A sibling
// module that adopts this library hands over its own lock so that both guard the same lists.
#pragma once

#include "platform/YSynchronizer.h"

// The lock in use: this module's own unless replaced.
YLock& YSharedLock() noexcept;

// Replaces the lock in use (nullptr restores this module's own); returns the previous one.
// Call it before any thread uses the shared lock: a holder keeps the lock it took.
YLock* YSetSharedLock(YLock* replacement) noexcept;
