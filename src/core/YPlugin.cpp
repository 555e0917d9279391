#include "core/YPlugin.h"

#include "foundation/YException.h"

#include <system_error>

YPlugin::~YPlugin() = default;

YPlugin::ScopedLock::ScopedLock(YPlugin& plugin) : m_lock(plugin.m_lock) {
    try {
        m_lock.lock();
    } catch (const std::system_error&) {
        YRaise("Could not acquire mutex.");
    }
}

YPlugin::ScopedLock::~ScopedLock() { m_lock.unlock(); }

void YPlugin::AttachHost(void* holder, YPluginHostCallback callback) noexcept {
    m_holder = holder;
    m_callback = callback;
}

int64_t YPlugin::SendHostRequest(int32_t request, int64_t value) {
    return m_callback ? m_callback(m_holder, request, value) : 0;
}
