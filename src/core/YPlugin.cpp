#include "core/YPlugin.h"

YPlugin::~YPlugin() = default;

void YPlugin::AttachHost(void* holder, YPluginHostCallback callback) noexcept {
    m_holder = holder;
    m_callback = callback;
}

int64_t YPlugin::SendHostRequest(int32_t request, int64_t value) {
    return m_callback ? m_callback(m_holder, request, value) : 0;
}
