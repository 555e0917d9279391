#include "platform/YSharedLock.h"

#include <atomic>

namespace {
YLock& OwnLock() noexcept {
    static YLock lock;
    return lock;
}

std::atomic<YLock*>& Current() noexcept {
    static std::atomic<YLock*> current{&OwnLock()};
    return current;
}
} // namespace

YLock& YSharedLock() noexcept { return *Current().load(std::memory_order_acquire); }

YLock* YSetSharedLock(YLock* replacement) noexcept {
    return Current().exchange(replacement ? replacement : &OwnLock(), std::memory_order_acq_rel);
}
