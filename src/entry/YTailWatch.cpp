#include "entry/YTailWatch.h"

#include <bit>

int32_t YTailWatch::Class(int32_t tail) noexcept {
    if (tail < 0) return -1;
    return static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(tail)));
}

void YTailWatch::Read(int32_t tail) noexcept { m_known.store(Class(tail)); }

bool YTailWatch::ShouldTell(int32_t tail) noexcept {
    int32_t known = m_known.load();
    const int32_t now = Class(tail);
    while (known != kUnread && known != now)
        if (m_known.compare_exchange_weak(known, now)) return true;
    return false;
}
