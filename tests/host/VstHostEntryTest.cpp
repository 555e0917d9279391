// The binary's exported functions, as a host or a sibling module calls them.
#include "VstTestHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace VstTestHost;

struct InitializeParameters { // the binary's adoption record
    void* const* SharedPointers;
    void* SharedLock;
    const char16_t* Text;
};

class VstHostEntryTest : public testing::Test {
protected:
    void SetUp() override { ResetHost(); }
};

TEST_F(VstHostEntryTest, HostWithoutVersionGetsNoPlugin) {
    Host().Version = 0;
    Instance instance;
    EXPECT_EQ(instance.Effect(), nullptr);
    auto entry = reinterpret_cast<Vst2::PluginEntryProc>(Export("VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(nullptr), nullptr) << "no host callback at all";
}

TEST_F(VstHostEntryTest, MainIsTheSameEntry) {
    Instance viaMain("main");
    Instance viaVSTPluginMain("VSTPluginMain");
    ASSERT_NE(viaMain.Effect(), nullptr);
    ASSERT_NE(viaVSTPluginMain.Effect(), nullptr);
    EXPECT_NE(viaMain.Effect(), viaVSTPluginMain.Effect());
    EXPECT_EQ(viaMain.Effect()->uniqueID, viaVSTPluginMain.Effect()->uniqueID);
    EXPECT_EQ(viaMain.Effect()->numParams, viaVSTPluginMain.Effect()->numParams);
}

TEST_F(VstHostEntryTest, InitAndExitDoNothingButSucceed) {
    for (const char* name : {"InitDll", "ExitDll"}) {
        auto function = reinterpret_cast<bool (*)()>(Export(name));
        ASSERT_NE(function, nullptr) << name;
        EXPECT_TRUE(function()) << name;
        EXPECT_TRUE(function()) << name;
    }
    Instance instance;
    EXPECT_NE(instance.Effect(), nullptr) << "plug-ins are still created afterwards";
}

TEST_F(VstHostEntryTest, AdoptionReturnsTheOneModule) {
    auto adopt = reinterpret_cast<void* (*)(const InitializeParameters*)>(Export("YLibraryDLLInitialize"));
    ASSERT_NE(adopt, nullptr);
    EXPECT_EQ(adopt(nullptr), nullptr);
    Instance instance; // the module exists from here on
    ASSERT_NE(instance.Effect(), nullptr);
    void* hooks[5] = {};
    const InitializeParameters parameters{hooks, nullptr, u"sibling"};
    void* first = adopt(&parameters);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(adopt(&parameters), first);
    Instance second;
    EXPECT_NE(second.Effect(), nullptr);
    EXPECT_EQ(adopt(&parameters), first) << "later plug-ins share the module";
}

TEST_F(VstHostEntryTest, EffectInterfaceIsExported) {
    EXPECT_NE(Export("VornikAudioEffectPluginInterface"), nullptr);
    EXPECT_NE(Export("GetPluginFactory"), nullptr);
}

} // namespace
