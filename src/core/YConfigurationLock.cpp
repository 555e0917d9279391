#include "core/YConfigurationLock.h"

#include "core/YAudioPlugin.h"

YConfigurationLock::YConfigurationLock(YAudioPlugin& plugin)
    : YConfigurationLock(plugin.ProcessingLock(), plugin.EditorLock(), plugin.ParameterLock()) {}
