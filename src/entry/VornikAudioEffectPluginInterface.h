// The flanger's C-callable effect interface: the processing frame creates and drives the
// effect through it.
#pragma once

#include "core/YAudioEffectPlugin.h"
#include "platform/YExport.h"

#include <cstdint>

// instance: the effect, or null to create one (commands 0 and 7); command: an effect command
// number; arguments: the four tagged argument values. Never throws; failures answer 0.
Y_EXPORT int64_t VornikAudioEffectPluginInterface(void* instance, int32_t command,
                                                  YEffectArguments* arguments);
