// YAudioEffectPluginHost: the holder that drives one effect through its C-callable interface
// function. It creates the effect (attach, information record, initialise, fetch the
// instance), passes every later command on, deletes the objects a call was handed to own,
// and destroys the effect when it goes.
#pragma once

#include "core/YAudioEffectPlugin.h"

#include <atomic>
#include <cstdint>

class YAudioEffectPluginHost {
public:
    // Hears the requests the effect sends to its holder (YPluginHostRequest). Called on
    // whatever thread the effect runs on, the audio thread included: must not block.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual int64_t OnEffectRequest(int32_t request, int64_t value) = 0;
    };

    explicit YAudioEffectPluginHost(YAudioEffectPluginInterfaceFunction function = nullptr) noexcept;
    // Destroys the effect (command 1) when one was created.
    ~YAudioEffectPluginHost();
    YAudioEffectPluginHost(const YAudioEffectPluginHost&) = delete;
    YAudioEffectPluginHost& operator=(const YAudioEffectPluginHost&) = delete;

    // Commands 0 (attach this holder), 2 (information record), 3 (initialise) and 7 (the
    // instance). Raises "Error creating plugin." when any of them fails; whatever was created
    // is destroyed again then.
    void Create();
    // Command 1; afterwards the holder has no effect.
    void Destroy() noexcept;

    // One command. Arguments tagged kArgumentObject hold a YObject* that is deleted after the
    // call (also when the call raises) and the argument is cleared. Without an effect the
    // answer is 0. May raise what the interface function raises (it normally raises nothing).
    int64_t Call(int32_t command, YEffectArguments* arguments = nullptr);
    int64_t Call(int32_t command, int64_t first);

    bool HasEffect() const noexcept { return m_instance != nullptr; }
    YAudioEffectPlugin* Effect() const noexcept { return m_effect; }
    YAudioEffectInformation* Information() const noexcept { return m_information; }
    YAudioEffectPluginInterfaceFunction Function() const noexcept { return m_function; }
    // The function to create the next effect with; false (nothing changes) while one exists.
    bool SetFunction(YAudioEffectPluginInterfaceFunction function) noexcept {
        if (m_instance != nullptr) return false;
        m_function = function;
        return true;
    }

    // Not owned; null drops the requests (answer 0).
    void SetListener(Listener* listener) noexcept { m_listener.store(listener); }

private:
    static int64_t HostCallback(void* holder, int32_t request, int64_t value);

    YAudioEffectPluginInterfaceFunction m_function;
    void* m_instance = nullptr;
    YAudioEffectPlugin* m_effect = nullptr;
    YAudioEffectInformation* m_information = nullptr;
    std::atomic<Listener*> m_listener{nullptr};
};
