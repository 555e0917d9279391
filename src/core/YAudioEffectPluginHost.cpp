#include "core/YAudioEffectPluginHost.h"

#include "foundation/YException.h"
#include "foundation/YObject.h"

namespace {

void* AsPointer(int64_t value) noexcept { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

// Deletes the objects the caller handed over for one call, whatever way the call ends.
class OwnedArguments {
public:
    explicit OwnedArguments(YEffectArguments* arguments) noexcept : m_arguments(arguments) {}
    ~OwnedArguments() {
        if (m_arguments == nullptr) return;
        for (YEffectArgument& argument : m_arguments->Values) {
            if (argument.Tag != kArgumentObject) continue;
            delete static_cast<YObject*>(AsPointer(argument.Value));
            argument = YEffectArgument{};
        }
    }
    OwnedArguments(const OwnedArguments&) = delete;
    OwnedArguments& operator=(const OwnedArguments&) = delete;

private:
    YEffectArguments* m_arguments;
};

} // namespace

YAudioEffectPluginHost::YAudioEffectPluginHost(YAudioEffectPluginInterfaceFunction function) noexcept
    : m_function(function) {}

YAudioEffectPluginHost::~YAudioEffectPluginHost() { Destroy(); }

int64_t YAudioEffectPluginHost::HostCallback(void* holder, int32_t request, int64_t value) {
    auto* host = static_cast<YAudioEffectPluginHost*>(holder);
    if (host == nullptr) return 0;
    Listener* listener = host->m_listener.load();
    return listener != nullptr ? listener->OnEffectRequest(request, value) : 0;
}

void YAudioEffectPluginHost::Create() {
    if (m_function == nullptr || m_instance != nullptr) YRaise("Error creating plugin.");
    YEffectArguments attach;
    attach.SetPointer(0, this);
    attach.SetPointer(1, reinterpret_cast<const void*>(&HostCallback));
    m_instance = AsPointer(m_function(nullptr, kEffectAttach, &attach));
    if (m_instance == nullptr) YRaise("Error creating plugin.");
    YEffectArguments none;
    m_information = static_cast<YAudioEffectInformation*>(AsPointer(m_function(m_instance, kEffectGetInformation, &none)));
    const bool initialised = m_information != nullptr && m_function(m_instance, kEffectInitialize, &none) != 0;
    void* instance = initialised ? AsPointer(m_function(m_instance, kEffectGetInstance, &none)) : nullptr;
    if (instance == nullptr) {
        Destroy();
        YRaise("Error creating plugin.");
    }
    m_instance = instance;
    m_effect = static_cast<YAudioEffectPlugin*>(instance);
}

void YAudioEffectPluginHost::Destroy() noexcept {
    if (m_instance == nullptr) return;
    void* instance = m_instance;
    m_instance = nullptr;
    m_effect = nullptr;
    m_information = nullptr;
    YEffectArguments none;
    YGuard("YAudioEffectPluginHost::Destroy", [&] { m_function(instance, kEffectDestroy, &none); });
}

int64_t YAudioEffectPluginHost::Call(int32_t command, YEffectArguments* arguments) {
    const OwnedArguments owned(arguments);
    if (m_instance == nullptr) return 0;
    YEffectArguments none;
    return m_function(m_instance, command, arguments != nullptr ? arguments : &none);
}

int64_t YAudioEffectPluginHost::Call(int32_t command, int64_t first) {
    YEffectArguments arguments;
    arguments.SetInteger(0, first);
    return Call(command, &arguments);
}
