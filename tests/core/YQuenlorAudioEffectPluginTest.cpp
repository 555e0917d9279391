#include "core/YQuenlorAudioEffectPlugin.h"

#include "FrameTestSupport.h"
#include "StateTestSupport.h"
#include "core/YGlobalConfiguration.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "support/InflatingState.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace frametest;

namespace {

using Plugin = std::unique_ptr<YQuenlorAudioEffectPlugin>;

// Every instance of these tests reads its defaults from a file of its own (none at first).
class StateTest : public OwnConfigurationTest {
protected:
    StateTest() : OwnConfigurationTest("vornik-state-") {}

    static Plugin NewVornik() {
        return YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    }
};

VornikAudioEffectPlugin& Flanger(YQuenlorAudioEffectPlugin& plugin) {
    return *dynamic_cast<VornikAudioEffectPlugin*>(plugin.Effect());
}

double Value(YQuenlorAudioEffectPlugin& plugin, int32_t index) {
    return Flanger(plugin).Parameter(index).Float.Value;
}

void Load(YQuenlorAudioEffectPlugin& plugin, const std::string& xml) {
    plugin.LoadState(xml.data(), xml.size());
}

// Runs blocks of the same stereo signal through the plug-in and returns the output.
std::vector<float> Render(YQuenlorAudioEffectPlugin& plugin, int blocks = 6, int32_t frames = 512) {
    std::vector<float> result;
    Buffers block(2, frames);
    for (int b = 0; b < blocks; ++b) {
        for (int32_t c = 0; c < 2; ++c)
            for (int32_t i = 0; i < frames; ++i)
                block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, b * frames + i);
        block.Process(plugin);
        for (int32_t c = 0; c < 2; ++c) result.insert(result.end(), block.out[static_cast<size_t>(c)].begin(), block.out[static_cast<size_t>(c)].end());
    }
    return result;
}

void SetByName(YQuenlorAudioEffectPlugin& plugin, const char* name, double normalised) {
    const int32_t index = FindParameter(plugin, name);
    ASSERT_GE(index, 0) << name;
    plugin.SetParameter(index, normalised);
}

int64_t FailingInterface(void*, int32_t, YEffectArguments*) { return 0; }

} // namespace

TEST_F(StateTest, CreateGivesAReadyInstanceOrNull) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(plugin->HasEffect());
    EXPECT_TRUE(plugin->ProductName() == YString("Vornik"));
    EXPECT_TRUE(plugin->VendorName() == YString("Quenlor"));
    EXPECT_EQ(plugin->EditorWidth(), 500);
    EXPECT_EQ(plugin->EditorHeight(), 100);
    // The table and the "Shape" special record, four multiparameters, two preset triggers and
    // the two morph coordinates.
    EXPECT_EQ(plugin->GetParameterCount(), 25);
    EXPECT_TRUE(plugin->GetParameterName(1) == YString("Depth"));
    EXPECT_EQ(plugin->Version(), YAudioEffectPluginToAudioPluginAdapter::kCurrentVersion);
    EXPECT_EQ(YQuenlorAudioEffectPlugin::Create("X", "Y", &FailingInterface, 1, 1), nullptr);
    EXPECT_EQ(YQuenlorAudioEffectPlugin::Create("X", "Y", nullptr, 1, 1), nullptr);

    // Host writes reach the effect's records; update parameters mark it, and processing
    // applies the update before the block.
    SetByName(*plugin, "Range", 1.0);
    EXPECT_TRUE(Flanger(*plugin).NeedsUpdate());
    Render(*plugin, 1);
    EXPECT_FALSE(Flanger(*plugin).NeedsUpdate());
    EXPECT_DOUBLE_EQ(Flanger(*plugin).TargetRange(), plugin->SampleRate() * 0.01);
}

TEST_F(StateTest, ASecondInstanceLoadingTheStateSoundsTheSame) {
    Plugin first = NewVornik();
    ASSERT_TRUE(first);
    SetByName(*first, "Depth", 0.3);
    SetByName(*first, "Feedback", 0.85);
    SetByName(*first, "Mode", 0.5);
    SetByName(*first, "Rate", 0.7);
    SetByName(*first, "Range", 0.4);
    SetByName(*first, "Saturation", 0.5);
    first->SetConfiguredChannelMode(YAudioEffectPluginToAudioPluginAdapter::kModeLeftRightNegative);
    first->SetMaxSubBlockLength(64);
    first->SetSincInterpolation(true);
    first->SetControllersEnabled(true);
    first->Controller(5).Enabled = true;
    first->Controller(5).ParameterName = "Depth";
    first->Controller(5).Controller = 74;
    first->NoteController(31).Enabled = true;
    first->NoteController(31).Note = 60;
    first->MultiParameter(2).Name = "Sweep";
    first->SetMultiParameterValue(2, 0.25);
    first->PreviousNextPresetController().Enabled = true;
    first->PreviousNextPresetController().Controller = 20;
    first->InitProcessing();
    const std::vector<uint8_t> bytes = Save(*first);

    Plugin second = NewVornik();
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->LoadState(bytes.data(), bytes.size()));
    second->InitProcessing();
    EXPECT_EQ(second->ConfiguredChannelMode(), 6);
    EXPECT_EQ(second->MaxSubBlockLength(), 64);
    EXPECT_TRUE(second->SincInterpolation());
    EXPECT_TRUE(second->ControllersEnabled());
    EXPECT_EQ(second->Controller(5).Controller, 74);
    EXPECT_TRUE(second->Controller(5).ParameterName == YString("Depth"));
    EXPECT_EQ(second->NoteController(31).Note, 60);
    EXPECT_TRUE(second->MultiParameter(2).Name == YString("Sweep"));
    EXPECT_DOUBLE_EQ(second->MultiParameter(2).Value(), 0.25);
    EXPECT_EQ(second->PreviousNextPresetController().Controller, 20);
    for (int32_t index = 0; index < 12; ++index) {
        const PluginParameter& a = Flanger(*first).Parameter(index);
        const PluginParameter& b = Flanger(*second).Parameter(index);
        if (a.Kind == kParameterFloat) {
            EXPECT_NEAR(a.Float.Value, b.Float.Value, 1e-11) << index;
        }
        if (a.Kind == kParameterEnum) {
            EXPECT_EQ(a.Enum.Value, b.Enum.Value) << index;
        }
    }
    // The state keeps doubles to 12 digits: the first instance sounds the same within that
    // precision, and exactly the same once it holds the stored values itself.
    const std::vector<float> original = Render(*first);
    const std::vector<float> loaded = Render(*second);
    ASSERT_EQ(original.size(), loaded.size());
    for (size_t i = 0; i < loaded.size(); ++i) ASSERT_NEAR(original[i], loaded[i], 1e-4) << i;
    ASSERT_TRUE(first->LoadState(bytes.data(), bytes.size()));
    first->InitProcessing();
    second->InitProcessing();
    EXPECT_EQ(Render(*first), Render(*second));
    // Saving never changes the instance, and the second instance writes the same state.
    EXPECT_EQ(Save(*second), Save(*first));

    auto document = Decode(bytes);
    EXPECT_TRUE(document->GetName() == YString("settings"));
    EXPECT_TRUE(document->GetAttribute("Version") == YString("461312"));
    EXPECT_TRUE(document->GetAttribute("ChannelMode") == YString("Left + Right (neg)"));
    EXPECT_TRUE(document->GetAttribute("parameterModeEnum") == YString("Tape"));
    EXPECT_NE(document->FindChild("shape"), nullptr);
    EXPECT_NE(document->FindChild("MIDIReset"), nullptr);
    ASSERT_NE(document->FindChild("Controllers"), nullptr);
    EXPECT_EQ(document->FindChild("Controllers")->GetChildCount(), 1);
    EXPECT_NE(document->FindChild("Controllers")->FindChild("Controller5"), nullptr);
    EXPECT_NE(document->FindChild("NoteControllers")->FindChild("NoteController31"), nullptr);
    EXPECT_NE(document->FindChild("MultiParameters")->FindChild("MultiParameter2"), nullptr);
    EXPECT_NE(document->FindChild("ActivePreset"), nullptr);
    EXPECT_EQ(document->FindAttribute("Bypass"), nullptr); // omitted at its default
}

TEST_F(StateTest, PlainXMLLoadsLikeTheCompressedForm) {
    Plugin source = NewVornik();
    ASSERT_TRUE(source);
    SetByName(*source, "Depth", 0.8);
    SetByName(*source, "Delay", 0.3);
    const std::vector<uint8_t> compressed = Save(*source);
    auto document = Decode(compressed);
    YMemoryStream plain;
    document->Save(plain, "utf-8", false);

    Plugin fromCompressed = NewVornik();
    Plugin fromPlain = NewVornik();
    ASSERT_TRUE(fromCompressed && fromPlain);
    fromCompressed->LoadState(compressed.data(), compressed.size());
    fromPlain->LoadState(plain.GetData(), static_cast<size_t>(plain.GetSize()));
    EXPECT_EQ(Save(*fromPlain), Save(*fromCompressed));
    EXPECT_EQ(Render(*fromPlain), Render(*fromCompressed));
    EXPECT_NEAR(Value(*fromPlain, VornikAudioEffectPlugin::kDelay), Value(*source, VornikAudioEffectPlugin::kDelay), 1e-12);
}

TEST_F(StateTest, ARootWithoutAttributesGivesTheAdapterDefaultsAndKeepsTheParameters) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    SetByName(*plugin, "Depth", 0.9);
    const double depth = Value(*plugin, VornikAudioEffectPlugin::kDepth);
    plugin->SetBypass(true);
    plugin->SetMaxSubBlockLength(32);
    plugin->SetControllersEnabled(true);
    plugin->SetNoteControllersEnabled(true);
    plugin->PreviousNextPresetController().Enabled = true;
    plugin->Controller(3).Enabled = true;
    plugin->SetConfiguredChannelMode(2);
    Load(*plugin, "<settings/>");
    EXPECT_EQ(plugin->Version(), 328448);
    EXPECT_FALSE(plugin->ControllersEnabled());
    EXPECT_FALSE(plugin->NoteControllersEnabled());
    EXPECT_FALSE(plugin->PreviousNextPresetController().Enabled);
    EXPECT_FALSE(plugin->IsBypassed());
    EXPECT_EQ(plugin->MaxSubBlockLength(), 256);
    EXPECT_FALSE(plugin->ActivePresetEdit());
    EXPECT_EQ(plugin->CurrentActivePreset(), 0);
    EXPECT_EQ(Value(*plugin, VornikAudioEffectPlugin::kDepth), depth);
    // Read only when present: the channel mode and the tables without their items stay.
    EXPECT_EQ(plugin->ConfiguredChannelMode(), 2);
    EXPECT_TRUE(plugin->Controller(3).Enabled);
    // The root's name is not checked.
    Load(*plugin, "<anything Bypass=\"1\"/>");
    EXPECT_TRUE(plugin->IsBypassed());
}

TEST_F(StateTest, ParameterAttributesAreReadByTheirRules) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const PluginParameter& mode = Flanger(*plugin).Parameter(VornikAudioEffectPlugin::kMode);

    Load(*plugin, "<settings parameterDepth=\"7\" parameterFeedback=\"-3\"/>");
    EXPECT_EQ(Value(*plugin, VornikAudioEffectPlugin::kDepth), 2.0);
    EXPECT_EQ(Value(*plugin, VornikAudioEffectPlugin::kFeedback), -1.0);

    Load(*plugin, "<settings parameterMode=\"2\" parameterModeEnum=\"Tape\"/>");
    EXPECT_EQ(mode.Enum.Value, 1);
    Load(*plugin, "<settings parameterMode=\"2\"/>");
    EXPECT_EQ(mode.Enum.Value, 2);
    Load(*plugin, "<settings parameterMode=\"0\" parameterModeEnum=\"tape\"/>"); // no exact name: the index
    EXPECT_EQ(mode.Enum.Value, 0);

    // Values that cannot be used leave the parameter as it was; huge ones are limited.
    struct Case {
        const char* text;
        double expected;
    } cases[] = {{"abc", 0.5}, {"nan", 0.5}, {"inf", 0.5}, {"1e999", 0.5}, {"", 0.5}, {"1e300", 2.0}, {"-1e300", -2.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Load(*plugin, "<settings parameterDepth=\"0.5\"/>");
        Load(*plugin, std::string("<settings parameterDepth=\"") + c.text + "\" unknown=\"1\"><Unknown/></settings>");
        EXPECT_EQ(Value(*plugin, VornikAudioEffectPlugin::kDepth), c.expected);
    }

    // Integers and enumerations of the adapter: wrong text or range takes the default or is
    // limited, never an absurd value.
    Load(*plugin, "<settings Version=\"99999999999999\" MaxLFOBlockSize=\"lots\" PresetIndex=\"-4\" "
                  "ChannelMode=\"Quadro\" Bypass=\"x\"><ActivePreset CurrentActivePreset=\"7\" Edit=\"1\"/>"
                  "<Controllers><Controller0 Enabled=\"1\" Value=\"9\" Channel=\"99\" FullRange=\"-2\"/></Controllers>"
                  "<NoteControllers><NoteController4 Logarithmic=\"1\" Note=\"400\"/></NoteControllers></settings>");
    EXPECT_EQ(plugin->Version(), INT32_MAX);
    EXPECT_EQ(plugin->MaxSubBlockLength(), 256);
    EXPECT_EQ(plugin->ActiveSlot(), 0);
    EXPECT_EQ(plugin->ConfiguredChannelMode(), 0);
    EXPECT_FALSE(plugin->IsBypassed());
    EXPECT_TRUE(plugin->ActivePresetEdit());
    EXPECT_EQ(plugin->CurrentActivePreset(), 7);
    EXPECT_TRUE(plugin->Controller(0).Enabled);
    EXPECT_EQ(plugin->Controller(0).Value, 1.0);
    EXPECT_EQ(plugin->Controller(0).Channel, 16);
    EXPECT_EQ(plugin->Controller(0).RangeMode, 0);
    EXPECT_EQ(plugin->NoteController(4).Mode, 1);
    EXPECT_EQ(plugin->NoteController(4).Note, 127);
}

TEST_F(StateTest, TheActiveSlotIsTheRootAndTheOtherSevenAreChildren) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    Load(*plugin, "<settings PresetIndex=\"3\"/>");
    EXPECT_EQ(plugin->ActiveSlot(), 3);
    auto document = Decode(Save(*plugin));
    for (int32_t slot = 0; slot < 8; ++slot) {
        const YString name = YString("Preset") + YString::FromInteger(slot);
        YXMLItem* child = document->FindChild(name);
        if (slot == 3) {
            EXPECT_EQ(child, nullptr);
            continue;
        }
        ASSERT_NE(child, nullptr) << slot;
        // Each is a whole state of its own, without slots inside.
        EXPECT_NE(child->FindAttribute("parameterDepth"), nullptr);
        EXPECT_NE(child->FindChild("shape"), nullptr);
        EXPECT_EQ(child->FindChild("Preset0"), nullptr);
    }

    // A slot's stored tree is taken over when the state is read; nested slots are dropped.
    Load(*plugin, "<settings PresetIndex=\"0\"><Preset5 parameterDepth=\"-1.25\"><Preset6/></Preset5></settings>");
    auto slot = plugin->SlotTree(5);
    ASSERT_TRUE(slot);
    EXPECT_TRUE(slot->GetAttribute("parameterDepth") == YString("-1.25"));
    EXPECT_EQ(slot->FindChild("Preset6"), nullptr);
    EXPECT_EQ(plugin->SlotTree(0), nullptr); // the active one lives on the root
    auto again = Decode(Save(*plugin));
    ASSERT_NE(again->FindChild("Preset5"), nullptr);
    EXPECT_TRUE(again->FindChild("Preset5")->GetAttribute("parameterDepth") == YString("-1.25"));
}

TEST_F(StateTest, SurroundNeedsMoreThanTwoChannels) {
    Plugin stereo = NewVornik();
    ASSERT_TRUE(stereo);
    Load(*stereo, "<settings ChannelMode=\"Surround\" SurroundChannelsEnable=\"10\"/>");
    EXPECT_EQ(stereo->ConfiguredChannelMode(), 0);
    Load(*stereo, "<settings EnableSurroundProcessing=\"1\"/>");
    EXPECT_EQ(stereo->ConfiguredChannelMode(), 0);

    Plugin surround = NewVornik();
    ASSERT_TRUE(surround);
    surround->SetChannelCounts(6, 6);
    surround->SetChannelsPerBus(6);
    surround->InitProcessing();
    Load(*surround, "<settings ChannelMode=\"Surround\" SurroundChannelsEnable=\"110x0\"/>");
    EXPECT_EQ(surround->ConfiguredChannelMode(), 7);
    EXPECT_EQ(surround->SurroundChannelMask(), 0b11101011); // channels past the text keep their switch
    EXPECT_EQ(surround->EffectChannelCount(), 4);           // 0, 1, 3, 5 of six
    auto document = Decode(Save(*surround));
    EXPECT_TRUE(document->GetAttribute("SurroundChannelsEnable") == YString("11010111"));
    Load(*surround, "<settings EnableSurroundProcessing=\"0\"/>");
    EXPECT_EQ(surround->ConfiguredChannelMode(), 0);
    EXPECT_EQ(surround->EffectChannelCount(), 2);
    Load(*surround, "<settings EnableSurroundProcessing=\"1\"/>");
    EXPECT_EQ(surround->ConfiguredChannelMode(), 7);
}

TEST_F(StateTest, BadStatesRaiseAndTheInstanceKeepsWorkingWithWhatItHad) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    SetByName(*plugin, "Depth", 0.1);
    SetByName(*plugin, "Feedback", 0.9);
    const std::vector<uint8_t> good = Save(*plugin);
    plugin->InitProcessing();
    const std::vector<float> before = Render(*plugin, 2);

    std::vector<uint8_t> random(300);
    uint32_t x = 1;
    for (uint8_t& byte : random) byte = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    const std::string broken = "<settings parameterDepth=\"1\"><unclosed></settings>";
    const std::vector<std::vector<uint8_t>> bad = {random, truncated, std::vector<uint8_t>(broken.begin(), broken.end())};
    for (const std::vector<uint8_t>& bytes : bad) {
        EXPECT_THROW(plugin->LoadState(bytes.data(), bytes.size()), YException);
        EXPECT_EQ(Save(*plugin), good);
    }
    EXPECT_THROW(plugin->LoadState(nullptr, 10), YException);
    EXPECT_THROW(plugin->LoadState(good.data(), 0), YException);
    EXPECT_EQ(Save(*plugin), good);

    // Still processing, and exactly as before the failed loads.
    plugin->InitProcessing();
    EXPECT_EQ(Render(*plugin, 2), before);
}

namespace {

std::vector<std::string> g_stateReports;
void RecordStateReport(const YString& text) { g_stateReports.push_back(text.ToUTF8()); }

} // namespace

TEST_F(StateTest, ARefusedStateTellsTheHookWhyAndChangesNothing) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    SetByName(*plugin, "Depth", 0.1);
    const std::vector<uint8_t> good = Save(*plugin);
    const YErrorReportHook previous = YSetErrorReportHook(&RecordStateReport);
    g_stateReports.clear();

    const std::vector<uint8_t> bomb = InflatingState::Make(200 * 1000 * 1000, "<settings parameterDepth=\"0.25\" pad=\"");
    EXPECT_THROW(plugin->LoadState(bomb.data(), bomb.size()), YException);
    const std::string tooLarge = "The state was refused: The document is larger than 16 MiB.";
    const std::string broken = "<settings parameterDepth=\"1\"><unclosed></settings>";
    EXPECT_THROW(Load(*plugin, broken), YException);
    YSetErrorReportHook(previous);

    ASSERT_EQ(g_stateReports.size(), 2u);
    EXPECT_EQ(g_stateReports[0], tooLarge);
    EXPECT_EQ(g_stateReports[1].rfind("The state was refused: ", 0), 0u) << g_stateReports[1];
    EXPECT_GT(g_stateReports[1].size(), std::string("The state was refused: ").size());
    EXPECT_EQ(plugin->StateRefusal().ToUTF8(), g_stateReports[1]);
    EXPECT_EQ(Save(*plugin), good);

    // A state that loads clears the reason.
    ASSERT_TRUE(plugin->LoadState(good.data(), good.size()));
    EXPECT_TRUE(plugin->StateRefusal().IsEmpty());
}

TEST_F(StateTest, DefaultSettingsReachEveryNewInstance) {
    Plugin first = NewVornik();
    ASSERT_TRUE(first);
    SetByName(*first, "Depth", 0.2);
    SetByName(*first, "Mode", 0.5);
    first->SetMaxSubBlockLength(128);
    first->SetConfiguredChannelMode(1);
    first->SetDefaultSettingsToCurrent();
    std::unique_ptr<YXMLItem> stored = YGlobalConfiguration::Instance().DefaultSettings();
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->GetName() == YString("Settings"));
    EXPECT_EQ(stored->FindChild("Preset1"), nullptr);

    Plugin second = NewVornik();
    ASSERT_TRUE(second);
    EXPECT_EQ(Value(*second, VornikAudioEffectPlugin::kDepth), Value(*first, VornikAudioEffectPlugin::kDepth));
    EXPECT_EQ(Flanger(*second).Parameter(VornikAudioEffectPlugin::kMode).Enum.Value, 1);
    EXPECT_EQ(second->MaxSubBlockLength(), 128);
    EXPECT_EQ(second->ConfiguredChannelMode(), 1);
    EXPECT_EQ(second->EffectChannelCount(), 1); // processing follows the defaults at once
    // Every slot starts from them too.
    auto slot = second->SlotTree(4);
    ASSERT_TRUE(slot);
    EXPECT_TRUE(slot->GetAttribute("ChannelMode") == YString("Left"));

    // Stored defaults that make no sense still give a working instance.
    YXMLItem junk("Settings");
    junk.SetAttribute("parameterDepth", "zzz");
    junk.SetAttribute("ChannelMode", "Nowhere");
    junk.AddChild("Controllers").AddChild("Controller99");
    YGlobalConfiguration::Instance().SetDefaultSettings(junk);
    Plugin third = NewVornik();
    ASSERT_TRUE(third);
    EXPECT_EQ(Value(*third, VornikAudioEffectPlugin::kDepth), 1.0);
    EXPECT_EQ(third->ConfiguredChannelMode(), 0);
    for (float sample : Render(*third, 1)) ASSERT_TRUE(std::isfinite(sample));
}

TEST_F(StateTest, UpsamplingAndGainMeasurementFromTheStateApplyAtOnce) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    CountingHost host;
    plugin->SetHostAdapter(&host);
    Load(*plugin, "<settings upsampling=\"2\" hqupsampling=\"0\" AGC=\"1\"/>");
    EXPECT_EQ(plugin->UpsamplingFactor(), 4);
    EXPECT_FALSE(plugin->HighQualityUpsampling());
    EXPECT_TRUE(plugin->UpsamplingActive());
    EXPECT_TRUE(plugin->AutomaticGainMeasurement());
    EXPECT_EQ(plugin->GetLatency(), 1536 / 4);
    EXPECT_EQ(host.latencyReports.load(), 1);
    for (float sample : Render(*plugin, 2)) ASSERT_TRUE(std::isfinite(sample));
    auto document = Decode(Save(*plugin));
    EXPECT_TRUE(document->GetAttribute("upsampling") == YString("2"));
    EXPECT_TRUE(document->GetAttribute("hqupsampling") == YString("0"));
    EXPECT_TRUE(document->GetAttribute("AGC") == YString("1"));

    // Out of range: limited to the largest factor; absent quality means high quality.
    Load(*plugin, "<settings upsampling=\"99\" AGC=\"0\"/>");
    EXPECT_EQ(plugin->UpsamplingFactor(), 16);
    EXPECT_TRUE(plugin->HighQualityUpsampling());
    EXPECT_FALSE(plugin->AutomaticGainMeasurement());
    EXPECT_EQ(plugin->GetLatency(), 6144 / 16);
    EXPECT_EQ(host.latencyReports.load(), 1); // 384 samples as before: nothing to report
    Load(*plugin, "<settings upsampling=\"0\"/>");
    EXPECT_EQ(plugin->UpsamplingFactor(), 1);
    EXPECT_EQ(plugin->GetLatency(), 0);
    EXPECT_EQ(host.latencyReports.load(), 2);
    plugin->SetHostAdapter(nullptr);
}
