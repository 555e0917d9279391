// Hosts call plug-in methods by their slot in the interface's table of functions, counted in
// the published declaration order (slots 0 to 2 are queryInterface, addRef, release). These
// tests call our objects the same way, by slot number, and check that each slot reaches the
// method a host expects there.
#include "Vst3TestHost.h"
#include "entry/vst3/YAudioPluginVST3Adapter.h"
#include "entry/vst3/YVST3PluginFactory.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace Vst3Test;

namespace {

template <typename R, typename... Args>
R CallSlot(void* itf, int slot, Args... args) {
    void** table = *static_cast<void***>(itf);
    using Function = R(Y_VST3_CALL*)(void*, Args...);
    return reinterpret_cast<Function>(table[slot])(itf, args...);
}

template <typename Interface>
Interface* Query(Vst3::FUnknown* object) {
    Interface* itf = nullptr;
    EXPECT_EQ(object->queryInterface(Interface::iid.bytes, reinterpret_cast<void**>(&itf)), Vst3::kResultOk);
    if (itf != nullptr) itf->release(); // the fixture keeps the object alive
    return itf;
}

std::unique_ptr<YAudioPlugin> MakePlainPlugin() { return std::make_unique<YAudioPlugin>(); }

class Vst3VtableTest : public testing::Test {
protected:
    void SetUp() override {
        YAudioPluginVST3Adapter::SetPluginCreator(&MakePlainPlugin);
        factory = YVST3PluginFactory::Get();
        ASSERT_NE(factory, nullptr);
        const Vst3::FUID cid = YVST3PluginFactory::ProductClassID();
        ASSERT_EQ(factory->createInstance(cid.bytes, Vst3::IComponent::iid.bytes, reinterpret_cast<void**>(&component)),
                  Vst3::kResultOk);
        ASSERT_EQ(component->initialize(&host), Vst3::kResultOk);
    }
    void TearDown() override {
        if (component != nullptr) {
            component->terminate();
            component->release();
        }
        if (factory != nullptr) factory->release();
        YAudioPluginVST3Adapter::SetPluginCreator(nullptr);
    }

    HostApplication host;
    Vst3::IPluginFactory* factory = nullptr;
    Vst3::IComponent* component = nullptr;
};

} // namespace

TEST_F(Vst3VtableTest, FactorySlots) {
    auto* f3 = Query<Vst3::IPluginFactory3>(factory);
    ASSERT_NE(f3, nullptr);
    Vst3::PFactoryInfo info{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::PFactoryInfo*>(f3, 3, &info)), Vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "Quenlor");
    EXPECT_EQ((CallSlot<Vst3::int32>(f3, 4)), 1);
    Vst3::PClassInfo c1{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32, Vst3::PClassInfo*>(f3, 5, 0, &c1)), Vst3::kResultOk);
    EXPECT_STREQ(c1.name, "Vornik");
    void* obj = nullptr;
    EXPECT_EQ((CallSlot<Vst3::tresult, const char*, const char*, void**>(f3, 6, c1.cid, Vst3::IPlugView::iid.bytes, &obj)),
              Vst3::kNoInterface);
    Vst3::PClassInfo2 c2{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32, Vst3::PClassInfo2*>(f3, 7, 0, &c2)), Vst3::kResultOk);
    EXPECT_STREQ(c2.subCategories, "Fx|Modulation");
    Vst3::PClassInfoW cw{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32, Vst3::PClassInfoW*>(f3, 8, 0, &cw)), Vst3::kResultOk);
    EXPECT_EQ(cw.name[0], u'V');
}

TEST_F(Vst3VtableTest, ComponentAndProcessorSlots) {
    EXPECT_EQ((CallSlot<Vst3::int32, Vst3::MediaType, Vst3::BusDirection>(component, 7, Vst3::kAudio, Vst3::kOutput)), 1);
    Vst3::BusInfo bus{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::MediaType, Vst3::BusDirection, Vst3::int32, Vst3::BusInfo*>(
                  component, 8, Vst3::kAudio, Vst3::kInput, 0, &bus)),
              Vst3::kResultOk);
    EXPECT_EQ(Narrow(bus.name), "Stereo In");
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::TBool>(component, 11, Vst3::TBool{1})), Vst3::kResultOk); // setActive
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::IBStream*>(component, 12, nullptr)), Vst3::kInvalidArgument); // setState

    auto* processor = Query<Vst3::IAudioProcessor>(component);
    ASSERT_NE(processor, nullptr);
    Vst3::SpeakerArrangement arr = 0;
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::BusDirection, Vst3::int32, Vst3::SpeakerArrangement*>(
                  processor, 4, Vst3::kOutput, 0, &arr)),
              Vst3::kResultOk);
    EXPECT_EQ(arr, Vst3::SpeakerArr::kStereo);
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32>(processor, 5, Vst3::kSample64)), Vst3::kResultFalse);
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32>(processor, 5, Vst3::kSample32)), Vst3::kResultTrue);
    Vst3::ProcessSetup setup{Vst3::kRealtime, Vst3::kSample32, 256, 96000.2};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::ProcessSetup*>(processor, 7, &setup)), Vst3::kResultOk);
    EXPECT_EQ(static_cast<YAudioPluginVST3Adapter*>(processor)->Plugin().SampleRate(), 96000.0);
    Vst3::ProcessData data{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::ProcessData*>(processor, 9, &data)), Vst3::kResultOk); // process
    EXPECT_EQ((CallSlot<Vst3::uint32>(processor, 10)), 0u); // getTailSamples

    auto* requirements = Query<Vst3::IProcessContextRequirements>(component);
    ASSERT_NE(requirements, nullptr);
    EXPECT_NE((CallSlot<Vst3::uint32>(requirements, 3)) & Vst3::IProcessContextRequirements::kNeedTempo, 0u);
}

TEST_F(Vst3VtableTest, ControllerSlots) {
    auto* controller = Query<Vst3::IEditController>(component);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ((CallSlot<Vst3::int32>(controller, 8)), 1 + 130); // getParameterCount
    Vst3::ParameterInfo info{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32, Vst3::ParameterInfo*>(controller, 9, 0, &info)), Vst3::kResultOk);
    EXPECT_EQ(Narrow(info.title), "Bypass");
    Vst3::String128 text{};
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::ParamID, double, Vst3::TChar*>(controller, 10, 32767u, 1.0, text)),
              Vst3::kResultOk);
    EXPECT_EQ(Narrow(text), "On");
    static_cast<YAudioPluginVST3Adapter*>(controller)->Plugin().SetBypass(true);
    EXPECT_EQ((CallSlot<double, Vst3::ParamID>(controller, 14, 32767u)), 1.0); // getParamNormalized
    ComponentHandler handler;
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::IComponentHandler*>(controller, 16, &handler)), Vst3::kResultOk);
    EXPECT_EQ(handler.references, 2);
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::IComponentHandler*>(controller, 16, nullptr)), Vst3::kResultOk);
    EXPECT_EQ(handler.references, 1); // the local handler is not kept beyond this test
    auto* view = CallSlot<Vst3::IPlugView*, const char*>(controller, 17, "editor"); // createView
    ASSERT_NE(view, nullptr);
    // isPlatformTypeSupported: the system's own window type only.
#if defined(_WIN32)
    EXPECT_EQ((CallSlot<Vst3::tresult, const char*>(view, 3, "HWND")), Vst3::kResultTrue);
    EXPECT_EQ((CallSlot<Vst3::tresult, const char*>(view, 3, "X11EmbedWindowID")), Vst3::kResultFalse);
#else
    EXPECT_EQ((CallSlot<Vst3::tresult, const char*>(view, 3, "X11EmbedWindowID")), Vst3::kResultTrue);
#endif
    EXPECT_EQ((CallSlot<Vst3::tresult>(view, 13)), Vst3::kResultTrue); // canResize
    view->release();

    auto* controller2 = Query<Vst3::IEditController2>(component);
    ASSERT_NE(controller2, nullptr);
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::TBool>(controller2, 5, Vst3::TBool{1})), Vst3::kResultFalse);

    auto* mapping = Query<Vst3::IMidiMapping>(component);
    ASSERT_NE(mapping, nullptr);
    Vst3::ParamID id = 0;
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::int32, Vst3::int16, Vst3::int16, Vst3::ParamID*>(mapping, 3, 0, 9, 7, &id)),
              Vst3::kResultOk);
    EXPECT_EQ(id, 10007u);

    auto* units = Query<Vst3::IUnitInfo>(component);
    ASSERT_NE(units, nullptr);
    EXPECT_EQ((CallSlot<Vst3::int32>(units, 3)), 1);                                   // getUnitCount
    EXPECT_EQ((CallSlot<Vst3::tresult, Vst3::UnitID>(units, 12, 2)), Vst3::kResultOk); // selectUnit
    EXPECT_EQ((CallSlot<Vst3::UnitID>(units, 11)), 2);                                 // getSelectedUnit
}
