// YConfigurationLock: holds the three locks a configuration change needs (re-initialising
// processing, loading or saving state, changing the channel layout) for one scope: the
// processing lock, the editor lock and the parameter lock, taken in this order with waiting
// and given back in reverse. When one cannot be taken, those already held are given back and
// "Could not acquire mutex." is raised.
#pragma once

#include "platform/YSynchronizer.h"

class YAudioPlugin;

class YConfigurationLock {
public:
    YConfigurationLock(YSynchronizer& processing, YSynchronizer& editor, YSynchronizer& parameters)
        : m_processing(processing), m_editor(editor), m_parameters(parameters) {}
    // The plug-in's own three locks.
    explicit YConfigurationLock(YAudioPlugin& plugin);
    YConfigurationLock(const YConfigurationLock&) = delete;
    YConfigurationLock& operator=(const YConfigurationLock&) = delete;

private:
    // Members are built in declaration order and destroyed in reverse: that is the lock order.
    YScopedLock m_processing;
    YScopedLock m_editor;
    YScopedLock m_parameters;
};
