// Module: this library's module instance, and the start-up every plug-in creation runs.
#pragma once

#include "core/YAudioPlugin.h"
#include "entry/YModule.h"

#include <memory>

class Module : public YSystemModule {
public:
    static constexpr char kDocumentationFolder[] = "DocEffects";

    // Names the module and its documentation folder; registers the generator's output files.
    void Initialize() override;
};

// Framework start-up, run by both plug-in creation paths: under the library lock, creates the
// module instance once ("YCreateModuleInstance"), loads the global resources
// ("YLoadGlobalResources") and initialises the module. Raises "Could not acquire mutex."
// when the lock cannot be taken; failures of the named steps are reported and passed over.
void YStartFramework();

// Creates and initialises the module instance when there is none; returns the instance.
// The caller holds the library lock.
YModule* YEnsureModuleInstance(const YString& identityText);

// One new plug-in (the product's effect behind its adapter) with its preset manager; null
// when it cannot be built.
std::unique_ptr<YAudioPlugin> YCreatePluginInstance();

class YQuenlorAudioEffectPlugin;
// Gives the plug-in its preset manager over the product's data folder and the thread that
// carries out its preset steps. A failure is reported and leaves the plug-in without them.
void YAttachPresetManager(YQuenlorAudioEffectPlugin& plugin);
