// YTailWatch: decides when a host should hear that the plug-in's tail length changed. Hosts
// re-read the tail after being told, which may restart processing, so only a change a host
// would act on counts: between none, finite and never-ending, or a finite tail that grows or
// shrinks past the next power of two from what the host last read. Until the host has read
// the tail once there is nothing to tell it.
#pragma once

#include <atomic>
#include <cstdint>

class YTailWatch {
public:
    // The host read tail (the plug-in's value: -1 never ends, 0 none).
    void Read(int32_t tail) noexcept;
    // Whether tail is worth telling the host about; if so, it counts as read.
    bool ShouldTell(int32_t tail) noexcept;

    // The class a tail falls in: -1 never ends, 0 none, else its bit width.
    static int32_t Class(int32_t tail) noexcept;

private:
    static constexpr int32_t kUnread = -2;
    std::atomic<int32_t> m_known{kUnread};
};
