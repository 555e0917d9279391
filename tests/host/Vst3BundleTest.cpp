// The VST 3 bundle the build lays out beside the plug-in binary, loaded the way a VST 3 host
// finds it: by the bundle's folder layout for this system.
#include "VstTestHost.h"

#include "entry/vst3/Vst3Abi.h"
#include "platform/YPlatformLibrary.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(Vst3BundleTest, TheBundleHoldsTheBinaryWhereHostsLookForIt) {
    const std::string& plugin = VstTestHost::PluginPath();
    const size_t slash = plugin.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? std::string() : plugin.substr(0, slash + 1);
#if defined(_WIN32)
    const std::string binary = folder + "Vornik.vst3/Contents/x86_64-win/Vornik.vst3";
#else
    const std::string binary = folder + "Vornik.vst3/Contents/x86_64-linux/Vornik.so";
#endif
    YPlatformLibrary library;
    ASSERT_TRUE(library.Open(YString::FromUTF8(binary))) << library.ErrorText().ToUTF8();
    auto entry = library.Function<Vst3::GetFactoryProc>("GetPluginFactory");
    ASSERT_NE(entry, nullptr);
    Vst3::IPluginFactory* factory = entry();
    ASSERT_NE(factory, nullptr);
    Vst3::PClassInfo info{};
    ASSERT_EQ(factory->getClassInfo(0, &info), Vst3::kResultOk);
    EXPECT_STREQ(info.name, "Vornik");
    EXPECT_EQ(factory->release(), 0u);
}

} // namespace
