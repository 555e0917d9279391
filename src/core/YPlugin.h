// YPlugin: what every plug-in object has regardless of its kind: the recursive plug-in lock
// and the link to the host-side holder that created it.
#pragma once

#include "core/YEventTarget.h"
#include "platform/YSynchronizer.h"

#include <cstdint>

// Requests a plug-in sends to its holder.
enum YPluginHostRequest : int32_t {
    kHostRequestNone = 0,
    kHostRequestUpdateDisplay = 1,
    // The availability of parameters changed (for example "Rate" while synchronised).
    kHostRequestParameterAvailability = 2,
};

// (holder, request, value) -> answer; installed by the holder when it attaches.
using YPluginHostCallback = int64_t (*)(void* holder, int32_t request, int64_t value);

class YPlugin : public YEventTarget {
public:
    YPlugin() = default;
    YPlugin(const YPlugin&) = delete;
    YPlugin& operator=(const YPlugin&) = delete;
    ~YPlugin() override;

    // The plug-in lock: recursive, so locked operations may call each other.
    YLock& Lock() noexcept { return m_lock; }

    // Holds the plug-in lock for one scope; raises "Could not acquire mutex." when the system
    // refuses it.
    class ScopedLock : public YScopedLock {
    public:
        explicit ScopedLock(YPlugin& plugin) : YScopedLock(plugin.m_lock) {}
    };

    void AttachHost(void* holder, YPluginHostCallback callback) noexcept;
    void* Holder() const noexcept { return m_holder; }
    YPluginHostCallback HostCallback() const noexcept { return m_callback; }
    // Sends a request to the holder; 0 while none is attached.
    int64_t SendHostRequest(int32_t request, int64_t value = 0);

private:
    YLock m_lock;
    void* m_holder = nullptr;
    YPluginHostCallback m_callback = nullptr;
};
