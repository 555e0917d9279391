#include "PluginHost.h"

#include "Vst3PluginHost.h"
#include "VstPluginHost.h"

std::unique_ptr<PluginHost> MakePluginHost(PluginFormat format) {
    if (format == PluginFormat::Vst3) return std::make_unique<Vst3PluginHost>();
    return std::make_unique<VstPluginHost>();
}
