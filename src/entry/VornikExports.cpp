#include "entry/VornikExports.h"

#include "entry/Module.h"
#include "entry/VornikIdentity.h"
#include "entry/YLibrary.h"
#include "entry/vst2/YAudioPluginVSTAdapter.h"
#include "entry/vst3/YVST3PluginFactory.h"
#include "foundation/YException.h"
#include "platform/YSharedLock.h"

#include <memory>

Y_EXPORT Vst2::AEffect* VSTPluginMain(Vst2::HostCallback audioMaster) {
    return YGuard("VST Plugin main", static_cast<Vst2::AEffect*>(nullptr), [&]() -> Vst2::AEffect* {
        if (audioMaster == nullptr) return nullptr;
        // A host that does not answer the version request is not a VST host.
        if (audioMaster(nullptr, Vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        YStartFramework();
        std::unique_ptr<YAudioPlugin> plugin = YCreatePluginInstance();
        if (!plugin) {
            YReportError(YString("Error creating Vst plugin object."));
            return nullptr;
        }
        const Vst2::YVSTIdentity identity{VornikIdentity::kProductName, VornikIdentity::kVendorName,
                                          VornikIdentity::kVst2UniqueID, VornikIdentity::kVst2Version};
        // Owned by the host from here on: effClose deletes it.
        auto* adapter = new Vst2::YAudioPluginVSTAdapter(audioMaster, std::move(plugin), identity);
        return adapter->getAeffect();
    });
}

Y_EXPORT void* GetPluginFactory() { return YVST3PluginFactory::Get(); }

namespace {
bool DoNothing() noexcept { return true; }
} // namespace

Y_EXPORT bool InitDll() { return DoNothing(); }

Y_EXPORT bool ExitDll() { return DoNothing(); }

#if !defined(_WIN32)
Y_EXPORT bool ModuleEntry(void*) { return DoNothing(); }

Y_EXPORT bool ModuleExit() { return DoNothing(); }
#endif

Y_EXPORT void* YLibraryDLLInitialize(const YLibraryInitializeParameters* parameters) {
    return YGuard("YLibraryDLLInitialize", static_cast<void*>(nullptr), [&]() -> void* {
        if (parameters == nullptr) return nullptr;
        YAdoptSharedPointers(parameters->SharedPointers);
        YSetSharedLock(static_cast<YLock*>(parameters->SharedLock));
        YScopedLock lock(YLibraryLock(), YSynchronizer::kWaitInfinite);
        if (YModule* existing = YModuleInstance()) return existing;
        const YString text = parameters->Text != nullptr ? YString::FromUTF16(parameters->Text) : YString();
        return YEnsureModuleInstance(text);
    });
}
