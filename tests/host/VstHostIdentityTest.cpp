// What the plug-in tells a host about itself: record, names, capabilities, parameters, pins.
#include "VstTestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

using namespace VstTestHost;
using namespace Vst2;

class VstHostIdentityTest : public StartedInstanceTest {
protected:
    AEffect& Record() { return *m_instance->Effect(); }
};

TEST_F(VstHostIdentityTest, Record) {
    EXPECT_EQ(Record().magic, kEffectMagic);
    EXPECT_EQ(Record().uniqueID, FourCC('Q', 'n', 'V', 'k'));
    EXPECT_EQ(Record().uniqueID, 0x516E566B);
    EXPECT_EQ(Record().version, 1);
    EXPECT_EQ(Record().numPrograms, 0);
    EXPECT_GT(Record().numParams, 0);
    EXPECT_GE(Record().numInputs, 2);
    EXPECT_EQ(Record().numOutputs, 2);
    EXPECT_NE(Record().flags & effFlagsCanReplacing, 0);
    EXPECT_NE(Record().flags & effFlagsProgramChunks, 0);
    EXPECT_EQ(Record().flags & effFlagsIsSynth, 0) << "an effect with inputs";
    EXPECT_NE(Record().flags & effFlagsHasEditor, 0);
    EXPECT_FLOAT_EQ(Record().ioRatio, 1.0f);
    EXPECT_NE(Record().processReplacing, nullptr);
    EXPECT_NE(Record().process, nullptr);
}

TEST_F(VstHostIdentityTest, NamesAndVersions) {
    EXPECT_EQ(Plugin().Text(effGetEffectName), "Vornik");
    EXPECT_EQ(Plugin().Text(effGetProductString), "Vornik");
    EXPECT_EQ(Plugin().Text(effGetVendorString), "Quenlor");
    EXPECT_EQ(Plugin().Dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(Plugin().Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(Plugin().Dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_EQ(Plugin().Dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(Plugin().Dispatch(effSetBypass, 0, 1), 0) << "bypass is the plug-in's own";
    EXPECT_EQ(Plugin().Dispatch(effSetProcessPrecision, 0, kVstProcessPrecision64), 0);
    EXPECT_EQ(Plugin().Dispatch(effSetPanLaw, 0, 0, nullptr, 1.0f), 0);
}

TEST_F(VstHostIdentityTest, Capabilities) {
    const int32_t midiIn = Plugin().CanDo("receiveVstMidiEvent");
    EXPECT_TRUE(midiIn == 1 || midiIn == -1);
    for (const char* text : {"receiveVstEvents", "receiveVstEvent", "receiveVstMidiEvents"})
        EXPECT_EQ(Plugin().CanDo(text), midiIn) << text;
    const int32_t midiOut = Plugin().CanDo("sendVstMidiEvent");
    EXPECT_TRUE(midiOut == 1 || midiOut == -1);
    for (const char* text : {"sendVstEvents", "sendVstEvent", "sendVstMidiEvents"})
        EXPECT_EQ(Plugin().CanDo(text), midiOut) << text;
    for (const char* text : {"plugAsChannelInsert", "canMono", "plugAsSend", "receiveVstTimeInfo"})
        EXPECT_EQ(Plugin().CanDo(text), 1) << text;
    EXPECT_EQ(Plugin().CanDo("bypass"), -1);
    for (const char* text : {"Bypass", "receiveVstTimeInfo ", "", "offline", "midiProgramNames"})
        EXPECT_EQ(Plugin().CanDo(text), 0) << '"' << text << '"';
    EXPECT_EQ(Plugin().Dispatch(effCanDo, 0, 0, nullptr), 0) << "no text";
}

TEST_F(VstHostIdentityTest, ParameterTexts) {
    const int32_t depth = Plugin().FindParameter("Depth");
    ASSERT_GE(depth, 0);
    EXPECT_EQ(Plugin().Text(effGetParamDisplay, depth), "100% wet, 100% dry");
    std::set<std::string> names;
    for (int32_t i = 0; i < Record().numParams; ++i) {
        const std::string name = Plugin().Text(effGetParamName, i);
        EXPECT_FALSE(name.empty()) << i;
        EXPECT_LE(name.size(), 24u) << name;
        names.insert(name);
        const float value = Plugin().Get(i);
        EXPECT_GE(value, 0.0f) << name;
        EXPECT_LE(value, 1.0f) << name;
        EXPECT_LE(Plugin().Text(effGetParamLabel, i).size(), 31u) << name;
        EXPECT_LE(Plugin().Text(effGetParamDisplay, i).size(), 31u) << name;
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(Record().numParams)) << "names tell parameters apart";
    // Out of range: empty texts, no crash.
    for (int32_t index : {-1, Record().numParams, 1 << 30}) {
        EXPECT_EQ(Plugin().Text(effGetParamName, index), "");
        EXPECT_EQ(Plugin().Text(effGetParamDisplay, index), "");
        EXPECT_EQ(Plugin().Get(index), 0.0f);
        Plugin().Set(index, 0.5f);
    }
}

TEST_F(VstHostIdentityTest, HostWritesParameters) {
    const int32_t depth = Plugin().FindParameter("Depth");
    ASSERT_GE(depth, 0);
    Plugin().Set(depth, 0.6f);
    EXPECT_NEAR(Plugin().Get(depth), 0.6f, 1e-6f);
    const std::string changed = Plugin().Text(effGetParamDisplay, depth);
    EXPECT_NE(changed, "100% wet, 100% dry");
    // Values outside 0 ... 1 are clamped; a value that is not a number changes nothing.
    Plugin().Set(depth, 7.0f);
    EXPECT_NEAR(Plugin().Get(depth), 1.0f, 1e-6f);
    Plugin().Set(depth, std::numeric_limits<float>::quiet_NaN());
    EXPECT_NEAR(Plugin().Get(depth), 1.0f, 1e-6f);
    Plugin().Set(depth, -3.0f);
    EXPECT_NEAR(Plugin().Get(depth), 0.0f, 1e-6f);
}

TEST_F(VstHostIdentityTest, PinsAreStereoBuses) {
    VstPinProperties pin;
    for (int32_t i = 0; i < Record().numInputs; ++i) {
        std::memset(&pin, 0x7F, sizeof pin);
        ASSERT_EQ(Plugin().Dispatch(effGetInputProperties, i, 0, &pin), 1) << i;
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
        EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);
        EXPECT_LT(std::strlen(pin.label), sizeof pin.label);
    }
    for (int32_t i = 0; i < Record().numOutputs; ++i)
        EXPECT_EQ(Plugin().Dispatch(effGetOutputProperties, i, 0, &pin), 1) << i;
    EXPECT_EQ(Plugin().Dispatch(effGetInputProperties, Record().numInputs, 0, &pin), 0);
    EXPECT_EQ(Plugin().Dispatch(effGetOutputProperties, Record().numOutputs, 0, &pin), 0);
    EXPECT_EQ(Plugin().Dispatch(effGetOutputProperties, 0, 0, nullptr), 0);
}

TEST_F(VstHostIdentityTest, EditorRequestsWithoutAWindowGetNeutralAnswers) {
    EXPECT_EQ(Plugin().Dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(Plugin().Dispatch(effEditOpen, 0, 0, nullptr), 0) << "no parent window";
    Plugin().Dispatch(effEditIdle);
    EXPECT_EQ(Plugin().Dispatch(effEditKeyDown, 'a', 0), 0);
    Plugin().Dispatch(effEditClose);
    ERect* rect = nullptr;
    EXPECT_EQ(Plugin().Dispatch(effEditGetRect, 0, 0, &rect), 1) << "the size is known without a window";
    ASSERT_NE(rect, nullptr);
    EXPECT_GT(rect->right, 0);
}

TEST_F(VstHostIdentityTest, HostVersion2200GetsStereoPlusSideChain) {
    Host().Version = 2200;
    Instance old;
    ASSERT_NE(old.Effect(), nullptr);
    EXPECT_LE(old.Effect()->numInputs, 4);
    EXPECT_EQ(old.Effect()->numInputs, Record().numInputs);
    EXPECT_EQ(old.Effect()->numOutputs, 2);
    VstPinProperties pin;
    for (int32_t i = 0; i < old.Effect()->numInputs; ++i) {
        ASSERT_EQ(old.Dispatch(effGetInputProperties, i, 0, &pin), 1);
        EXPECT_EQ(pin.arrangementType, kSpeakerArrStereo);
    }
}

} // namespace

// The frame's controls follow the effect's 17 parameters, which keep their indices.
TEST_F(VstHostIdentityTest, MultiparametersAndPresetTriggersComeAfterTheEffectsParameters) {
    ASSERT_EQ(Record().numParams, 25);
    EXPECT_EQ(Plugin().FindParameter("Depth"), 1);
    // Each addition goes at the end, so saved projects keep finding what they automated.
    const char* const names[] = {"Multiparameter 1", "Multiparameter 2",         "Multiparameter 3",
                                 "Multiparameter 4", "Preset trigger - previou", "Preset trigger - next",
                                 "Morph X",          "Morph Y"};
    for (int32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(Plugin().Text(effGetParamName, 17 + i), names[i]) << i;
        EXPECT_EQ(Plugin().Dispatch(effCanBeAutomated, 17 + i, 0, nullptr), 1) << i;
    }
    EXPECT_EQ(Plugin().Text(effGetParamDisplay, 17), "50.0%");
    Plugin().Set(18, 0.25f);
    EXPECT_FLOAT_EQ(Plugin().Get(18), 0.25f);
    EXPECT_EQ(Plugin().Text(effGetParamDisplay, 18), "25.0%");
}
