#include "entry/Module.h"

#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "entry/VornikIdentity.h"
#include "entry/YLibrary.h"
#include "foundation/YException.h"
#include "modulation/YEnvelopePositionCurve.h"
#include "platform/YPlatformModule.h"
#include "presets/YActivePresets.h"
#include "presets/YFactoryPresets.h"
#include "presets/YPresetLibrary.h"
#include "presets/YPresetManagerT.h"
#include "presets/YPresetNavigator.h"

#include <mutex>

void Module::Initialize() {
    SetDocumentationFolder(YString(kDocumentationFolder));
    SetName(YString(VornikIdentity::kModuleName));
    std::vector<YString>& paths = YDocumentationOutputPaths();
    paths.push_back(YString("C:/GENDOC_MULTIPARAM.txt"));
    paths.push_back(YString("C:/GENDOC_MIDI.txt"));
}

YModule* YEnsureModuleInstance(const YString& identityText) {
    if (YModule* existing = YModuleInstance()) return existing;
    YGuard("YCreateModuleInstance", [&] {
        auto module = std::make_unique<Module>();
        void* handle = YLibraryInstanceHandle();
        module->SetInstanceHandle(handle != nullptr ? handle : YPlatformProcessModuleHandle());
        module->SetIdentityText(identityText);
        YSetModuleInstance(std::move(module));
    });
    YModule* module = YModuleInstance();
    if (module == nullptr) return nullptr;
    YGuard("YLoadGlobalResources", [] { YLoadGlobalResources(); });
    YGuard("YCreateModuleInstance", [&] { module->Initialize(); });
    return module;
}

void YStartFramework() {
    YScopedLock lock(YLibraryLock(), YSynchronizer::kWaitInfinite);
    YEnsureModuleInstance(YString());
}

std::unique_ptr<YAudioPlugin> YCreatePluginInstance() {
    // The first instance of a process gives a new user the factory library; a folder that
    // cannot be written (read-only, full) only means no factory presets there.
    static std::once_flag factoryPresets;
    std::call_once(factoryPresets, [] {
        YGuard("YInstallFactoryPresets", [] {
            const YString product(VornikIdentity::kProductName);
            YFactoryPresets::InstallIfMissing(YPresetLibrary::DataFolder(product), product);
        });
    });
    // Stateless: one factory serves every instance.
    static const YEnvelopePositionCurveFactory curves{};
    // Reads the active presets from the product's data folder at each instance's start.
    static const YActivePresetFileLoader activePresets{};
    std::unique_ptr<YQuenlorAudioEffectPlugin> plugin = YQuenlorAudioEffectPlugin::Create(
        YString(VornikIdentity::kProductName), YString(VornikIdentity::kVendorName), &VornikAudioEffectPluginInterface,
        VornikIdentity::kEditorWidth, VornikIdentity::kEditorHeight, &curves, &activePresets);
    if (plugin) YAttachPresetManager(*plugin);
    return plugin;
}

void YAttachPresetManager(YQuenlorAudioEffectPlugin& plugin) {
    // Without it the plug-in still works; only its preset steps go nowhere.
    YGuard("YAttachPresetManager", [&] {
        const YString folder = YPresetLibrary::DataFolder(plugin.ProductName());
        auto manager = std::make_unique<YPresetManagerT<YQuenlorAudioEffectPlugin>>(plugin, folder);
        plugin.SetPresetNavigation(std::make_unique<YPresetNavigator>(plugin, std::move(manager)));
    });
}
