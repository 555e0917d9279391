#include "entry/VornikAudioEffectPluginInterface.h"

#include "effect/VornikAudioEffectPlugin.h"
#include "foundation/YException.h"

namespace {

YAudioEffectPlugin* CreateVornik() { return new VornikAudioEffectPlugin(); }

} // namespace

Y_EXPORT int64_t VornikAudioEffectPluginInterface(void* instance, int32_t command,
                                                  YEffectArguments* arguments) {
    return YGuard("VornikAudioEffectPluginInterface", int64_t{0}, [&] {
        return YAudioEffectPluginCall(instance, command, arguments, &CreateVornik,
                                      "VornikAudioEffectPluginInterface");
    });
}
