// The exported entry functions and the framework start-up, called in-process.
#include "entry/VornikExports.h"

#include "entry/Module.h"
#include "entry/YLibrary.h"
#include "platform/YSharedLock.h"

#include <gtest/gtest.h>

namespace {

intptr_t g_version = 2400;

intptr_t Host(Vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == Vst2::audioMasterVersion ? g_version : 0;
}

void Close(Vst2::AEffect* effect) { effect->dispatcher(effect, Vst2::effClose, 0, 0, nullptr, 0.0f); }

TEST(VornikExportsTest, HostWithoutVersionCreatesNothing) {
    YModule* const module = YModuleInstance();
    const int32_t loads = YGlobalResourceLoadCount();
    g_version = 0;
    EXPECT_EQ(VSTPluginMain(&Host), nullptr);
    g_version = 2400;
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
    EXPECT_EQ(YModuleInstance(), module) << "no module instance is created for a non-host";
    EXPECT_EQ(YGlobalResourceLoadCount(), loads);
}

TEST(VornikExportsTest, InstancesShareOneModuleSetUpOnce) {
    const bool hadModule = YModuleInstance() != nullptr;
    const int32_t loads = YGlobalResourceLoadCount();
    Vst2::AEffect* first = VSTPluginMain(&Host);
    ASSERT_NE(first, nullptr);
    YModule* module = YModuleInstance();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(YGlobalResourceLoadCount(), hadModule ? loads : loads + 1);
    Vst2::AEffect* second = VSTPluginMain(&Host);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(YModuleInstance(), module);
    EXPECT_EQ(YGlobalResourceLoadCount(), hadModule ? loads : loads + 1) << "resources load once";
    EXPECT_EQ(YFirstModuleInstance(), module);
    EXPECT_EQ(module->Name(), YString("Quenlor Vornik"));
    auto* system = dynamic_cast<YSystemModule*>(module);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->DocumentationFolder(), YString("DocEffects"));
    EXPECT_NE(system->InstanceHandle(), nullptr) << "the library's handle, or the program's";
    EXPECT_EQ(module->CallService("YRegisterAllPlugins", nullptr), 0);
    EXPECT_EQ(module->CallService("NoSuchService", nullptr), -1);
    Close(first);
    Close(second);
}

TEST(VornikExportsTest, AdoptionTakesTheSiblingsHooksAndKeepsTheModule) {
    Vst2::AEffect* effect = VSTPluginMain(&Host); // the module exists from here on
    ASSERT_NE(effect, nullptr);
    YModule* module = YModuleInstance();
    void* hooks[kSharedPointerCount] = {&hooks[0], &hooks[1], &hooks[2], &hooks[3], &hooks[4]};
    YLock siblingLock;
    const YLibraryInitializeParameters parameters{hooks, &siblingLock, u"sibling"};
    EXPECT_EQ(YLibraryDLLInitialize(&parameters), module);
    for (int32_t i = 0; i < kSharedPointerCount; ++i) EXPECT_EQ(YSharedPointers()[i], hooks[i]);
    EXPECT_EQ(&YSharedLock(), &siblingLock);
    EXPECT_EQ(YLibraryDLLInitialize(nullptr), nullptr);
    // Back to this library's own.
    YSetSharedLock(nullptr);
    YAdoptSharedPointers(nullptr);
    EXPECT_NE(&YSharedLock(), &siblingLock);
    EXPECT_NE(YSharedPointers()[0], hooks[0]);
    Close(effect);
}

TEST(VornikExportsTest, AuxiliaryExports) {
    EXPECT_TRUE(InitDll());
    EXPECT_TRUE(ExitDll());
}

} // namespace
