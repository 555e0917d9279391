#include "entry/vst3/YVST3PluginFactory.h"

#include "Vst3TestHost.h"
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace Vst3Test;

namespace {

std::unique_ptr<YAudioPlugin> MakePlainPlugin() { return std::make_unique<YAudioPlugin>(); }
std::unique_ptr<YAudioPlugin> MakeNothing() { return nullptr; }

std::string Wide(const char16_t* text) {
    std::string out;
    for (; *text != 0; ++text) out += static_cast<char>(*text);
    return out;
}

// The factory as GetPluginFactory hands it out, released at the end of each test.
class VST3FactoryTest : public testing::Test {
protected:
    void SetUp() override {
        YAudioPluginVST3Adapter::SetPluginCreator(&MakePlainPlugin);
        factory = YVST3PluginFactory::Get();
        ASSERT_NE(factory, nullptr);
    }
    void TearDown() override {
        if (factory != nullptr) factory->release();
        YAudioPluginVST3Adapter::SetPluginCreator(nullptr);
    }

    Vst3::IPluginFactory* factory = nullptr;
};

} // namespace

TEST_F(VST3FactoryTest, ReportsTheVendorAndOneClass) {
    Vst3::PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), Vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "Quenlor");
    EXPECT_GT(std::strlen(info.url), 0u);
    EXPECT_NE(std::strchr(info.email, '@'), nullptr);
    EXPECT_EQ(info.flags, 16);
    ASSERT_EQ(factory->countClasses(), 1);

    Vst3::PClassInfo c{};
    ASSERT_EQ(factory->getClassInfo(0, &c), Vst3::kResultOk);
    EXPECT_STREQ(c.category, "Audio Module Class");
    EXPECT_STREQ(c.name, "Vornik");
    EXPECT_EQ(c.cardinality, 0x7FFFFFFF);
    // 'Quen', 'lor_', 'QnVk', 'QnVk' in the order the platform's hosts read identifiers.
#if defined(_WIN32)
    EXPECT_EQ(std::string(c.cid, 16), "neuQol_rQnVkQnVk");
#else
    EXPECT_EQ(std::string(c.cid, 16), "Quenlor_QnVkQnVk");
#endif
    EXPECT_EQ(factory->getClassInfo(1, &c), Vst3::kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(-1, &c), Vst3::kInvalidArgument);
    EXPECT_EQ(factory->getFactoryInfo(nullptr), Vst3::kInvalidArgument);
}

TEST_F(VST3FactoryTest, SecondAndThirdVersionClassInformation) {
    Vst3::IPluginFactory3* f3 = nullptr;
    ASSERT_EQ(factory->queryInterface(Vst3::IPluginFactory3::iid.bytes, reinterpret_cast<void**>(&f3)),
              Vst3::kResultOk);
    Vst3::PClassInfo2 c2{};
    ASSERT_EQ(f3->getClassInfo2(0, &c2), Vst3::kResultOk);
    EXPECT_STREQ(c2.category, "Audio Module Class");
    EXPECT_STREQ(c2.subCategories, "Fx|Modulation");
    EXPECT_STREQ(c2.vendor, "Quenlor");
    EXPECT_STREQ(c2.version, "7.10");
    EXPECT_STREQ(c2.sdkVersion, "VST 3.5.2");
    EXPECT_EQ(c2.classFlags, 0u);

    Vst3::PClassInfoW w{};
    ASSERT_EQ(f3->getClassInfoUnicode(0, &w), Vst3::kResultOk);
    EXPECT_EQ(std::memcmp(w.cid, c2.cid, 16), 0);
    EXPECT_EQ(Wide(w.name), "Vornik");
    EXPECT_EQ(Wide(w.vendor), "Quenlor");
    EXPECT_EQ(Wide(w.version), "7.10");
    EXPECT_EQ(Wide(w.sdkVersion), "VST 3.5.2");
    EXPECT_STREQ(w.subCategories, "Fx|Modulation");
    EXPECT_EQ(w.cardinality, 0x7FFFFFFF);
    EXPECT_EQ(f3->setHostContext(nullptr), Vst3::kResultOk);
    f3->release();

    void* none = factory;
    EXPECT_EQ(factory->queryInterface(Vst3::IComponent::iid.bytes, &none), Vst3::kNoInterface);
    EXPECT_EQ(none, nullptr);
}

TEST_F(VST3FactoryTest, OneFactoryIsSharedUntilTheLastReferenceGoes) {
    Vst3::IPluginFactory* again = YVST3PluginFactory::Get();
    EXPECT_EQ(again, factory);
    EXPECT_EQ(again->addRef(), 3u);
    EXPECT_EQ(again->release(), 2u);
    EXPECT_EQ(again->release(), 1u);
    EXPECT_EQ(factory->release(), 0u);
    factory = YVST3PluginFactory::Get(); // a new one, with a single reference
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->addRef(), 2u);
    factory->release();
}

TEST_F(VST3FactoryTest, CreatesTheEffectForItsClassOnly) {
    const Vst3::FUID cid = YVST3PluginFactory::ProductClassID();
    Vst3::IComponent* component = nullptr;
    ASSERT_EQ(factory->createInstance(cid.bytes, Vst3::IComponent::iid.bytes, reinterpret_cast<void**>(&component)),
              Vst3::kResultOk);
    ASSERT_NE(component, nullptr);
    HostApplication host;
    EXPECT_EQ(component->initialize(&host), Vst3::kResultOk);
    EXPECT_EQ(component->getBusCount(Vst3::kAudio, Vst3::kOutput), 1);
    EXPECT_EQ(component->terminate(), Vst3::kResultOk);
    EXPECT_EQ(component->release(), 0u);

    void* obj = &host;
    EXPECT_EQ(factory->createInstance(Vst3::IComponent::iid.bytes, Vst3::IComponent::iid.bytes, &obj),
              Vst3::kNoInterface);
    EXPECT_EQ(obj, nullptr);
    EXPECT_EQ(factory->createInstance(cid.bytes, Vst3::IPlugView::iid.bytes, &obj), Vst3::kNoInterface);
    EXPECT_EQ(obj, nullptr);

    // A plug-in that cannot be built fails the creation cleanly.
    YAudioPluginVST3Adapter::SetPluginCreator(&MakeNothing);
    EXPECT_NE(factory->createInstance(cid.bytes, Vst3::IComponent::iid.bytes, &obj), Vst3::kResultOk);
    EXPECT_EQ(obj, nullptr);
}
