// The frame's multiparameters and MIDI controller map as the state sees them: every field
// survives a save and load, names are resolved after each load, and a damaged bank text is
// reported while the rest loads.
#include "core/YQuenlorAudioEffectPlugin.h"

#include "FrameTestSupport.h"
#include "StateTestSupport.h"
#include "core/YGlobalConfiguration.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "modulation/YEnvelopePositionCurve.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace frametest;

namespace {

using Plugin = std::unique_ptr<YQuenlorAudioEffectPlugin>;

class FrameControlsTest : public OwnConfigurationTest {
protected:
    FrameControlsTest() : OwnConfigurationTest("vornik-controls-") {}

    Plugin NewVornik() const {
        return YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100,
                                                 &m_curves);
    }

private:
    YEnvelopePositionCurveFactory m_curves;
};

YEnvelopeComputer::PointList Square() {
    YEnvelopeComputer::PointList points = YEnvelopePositionCurve::IdentityPoints();
    points.points[0].type = YEnvelopeComputer::kMode1;
    points.points[0].curvatureY = 1.0;
    return points;
}

// Sets something other than the default in every stored field of every kind of record.
void FillControls(YQuenlorAudioEffectPlugin& plugin) {
    plugin.SetControllersEnabled(true);
    plugin.SetNoteControllersEnabled(true);
    YMIDIPresetSwitchController& preset = plugin.PreviousNextPresetController();
    preset.Enabled = true;
    preset.Controller = 129;
    preset.Channel = 16;

    YMIDIControllerAssignment& controller = plugin.Controller(31);
    controller = {true, "Depth", 0.25, 0.75, 0.5, 3, 74, 4, true};
    plugin.Controller(0).ParameterName = "Feedback"; // named but off: still kept

    YMIDINoteController& note = plugin.NoteController(7);
    note = {true, "Rate", 5, 2, 61, 0.125, 0.875};

    YMultiParameter& banks = plugin.MultiParameter(1);
    banks.Name = "Sweep";
    banks.Enabled = true;
    banks.Group = "Group A";
    banks.Info = "Moves two";
    banks.Mode = kMultiParameterBanks;
    banks.ValueMode = kMultiParameterByFirstParameter;
    banks.SwitchTime = 0.25;
    banks.DefaultValue = 0.125;
    YMultiParameterTarget depth;
    depth.ParameterName = "Depth";
    depth.Range = {0.25, 0.5, 0.75, kRangeInterval, true};
    depth.UseFirstRange = true;
    depth.Interpolate = true;
    banks.Targets.push_back(depth);
    YMultiParameterTarget off;
    off.ParameterEnabled = false;
    off.ParameterName = "Delay";
    banks.Targets.push_back(off);
    banks.SetBankCount(3);
    banks.Targets[0].Banks = {0.0f, 0.5f, 1.0f};
    banks.Targets[1].Banks = {0.25f, 0.125f, 0.0625f};

    YMultiParameter& shaped = plugin.MultiParameter(3);
    shaped.Name = "*Hidden";
    shaped.Mode = kMultiParameterSwitch;
    YMultiParameterTarget rate;
    rate.ParameterName = "Rate";
    rate.ShapeEnabled = true;
    shaped.Targets.push_back(rate);
    std::unique_ptr<YPositionCurve> curve = shaped.EditShape(0);
    dynamic_cast<YEnvelopePositionCurve&>(*curve).SetPoints(Square());
    shaped.SetShape(0, std::move(curve));
    plugin.SetMultiParameterValue(1, 0.75);
}

// Banks are stored only in Banks mode.
void ExpectSameTarget(const YMultiParameterTarget& a, const YMultiParameterTarget& b, bool banks) {
    EXPECT_EQ(a.ParameterEnabled, b.ParameterEnabled);
    EXPECT_TRUE(a.ParameterName == b.ParameterName);
    EXPECT_EQ(a.Range.Value, b.Range.Value);
    EXPECT_EQ(a.Range.MaxValue, b.Range.MaxValue);
    EXPECT_EQ(a.Range.Range, b.Range.Range);
    EXPECT_EQ(a.Range.Mode, b.Range.Mode);
    EXPECT_EQ(a.Range.Invert, b.Range.Invert);
    EXPECT_EQ(a.UseFirstRange, b.UseFirstRange);
    EXPECT_EQ(a.ShapeEnabled, b.ShapeEnabled);
    EXPECT_EQ(a.Interpolate, b.Interpolate);
    if (banks) {
        EXPECT_EQ(a.Banks, b.Banks);
    }
    EXPECT_EQ(a.Shape == nullptr, b.Shape == nullptr);
    if (a.Shape && b.Shape) {
        for (const double x : {0.0, 0.3, 0.7, 1.0}) {
            EXPECT_DOUBLE_EQ(a.Shape->Evaluate(x), b.Shape->Evaluate(x)) << x;
        }
    }
}

} // namespace

TEST_F(FrameControlsTest, AStateRoundTripReproducesEveryFieldAndResolvesTheNames) {
    Plugin first = NewVornik();
    ASSERT_TRUE(first);
    FillControls(*first);
    const std::vector<uint8_t> bytes = Save(*first);

    Plugin second = NewVornik();
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->LoadState(bytes.data(), bytes.size()));
    EXPECT_EQ(Save(*second), bytes);

    EXPECT_TRUE(second->ControllersEnabled());
    EXPECT_TRUE(second->NoteControllersEnabled());
    EXPECT_TRUE(second->PreviousNextPresetController().Enabled);
    EXPECT_EQ(second->PreviousNextPresetController().Controller, 129);
    EXPECT_EQ(second->PreviousNextPresetController().Channel, 16);
    for (int32_t n = 0; n < YAudioEffectPluginToAudioPluginAdapter::kControllerCount; ++n) {
        SCOPED_TRACE(n);
        const YMIDIControllerAssignment& a = first->Controller(n);
        const YMIDIControllerAssignment& b = second->Controller(n);
        EXPECT_EQ(a.Enabled, b.Enabled);
        EXPECT_TRUE(a.ParameterName == b.ParameterName);
        EXPECT_EQ(a.Value, b.Value);
        EXPECT_EQ(a.MaxValue, b.MaxValue);
        EXPECT_EQ(a.Range, b.Range);
        EXPECT_EQ(a.Channel, b.Channel);
        EXPECT_EQ(a.Controller, b.Controller);
        EXPECT_EQ(a.RangeMode, b.RangeMode);
        EXPECT_EQ(a.Invert, b.Invert);
    }
    for (int32_t n = 0; n < YAudioEffectPluginToAudioPluginAdapter::kNoteControllerCount; ++n) {
        SCOPED_TRACE(n);
        const YMIDINoteController& a = first->NoteController(n);
        const YMIDINoteController& b = second->NoteController(n);
        EXPECT_EQ(a.Enabled, b.Enabled);
        EXPECT_TRUE(a.ParameterName == b.ParameterName);
        EXPECT_EQ(a.Mode, b.Mode);
        EXPECT_EQ(a.Channel, b.Channel);
        EXPECT_EQ(a.Note, b.Note);
        EXPECT_EQ(a.MinValue, b.MinValue);
        EXPECT_EQ(a.MaxValue, b.MaxValue);
    }
    for (int32_t n = 0; n < YAudioEffectPluginToAudioPluginAdapter::kMultiParameterCount; ++n) {
        SCOPED_TRACE(n);
        const YMultiParameter& a = first->MultiParameter(n);
        const YMultiParameter& b = second->MultiParameter(n);
        EXPECT_TRUE(a.Name == b.Name);
        EXPECT_EQ(a.Enabled, b.Enabled);
        EXPECT_TRUE(a.Group == b.Group);
        EXPECT_TRUE(a.Info == b.Info);
        EXPECT_EQ(a.Mode, b.Mode);
        EXPECT_EQ(a.ValueMode, b.ValueMode);
        EXPECT_EQ(a.SwitchTime, b.SwitchTime);
        EXPECT_EQ(a.DefaultValue, b.DefaultValue);
        EXPECT_EQ(a.Value(), b.Value());
        EXPECT_EQ(a.BankCount(), b.BankCount());
        ASSERT_EQ(a.Targets.size(), b.Targets.size());
        for (size_t t = 0; t < a.Targets.size(); ++t) ExpectSameTarget(a.Targets[t], b.Targets[t], a.Mode == kMultiParameterBanks);
    }
    EXPECT_EQ(second->MultiParameter(1).Value(), 0.75);
    EXPECT_NE(second->MultiParameter(3).Targets[0].Shape, nullptr);

    // Names were looked up after the load.
    EXPECT_EQ(second->MultiParameter(1).Targets[0].ParameterIndex, FindParameter(*second, "Depth"));
    EXPECT_EQ(second->MultiParameter(1).Targets[1].ParameterIndex, FindParameter(*second, "Delay"));
    EXPECT_EQ(second->MultiParameter(3).Targets[0].ParameterIndex, FindParameter(*second, "Rate"));
    EXPECT_EQ(second->MIDIControllers().ControllerTarget(31), FindParameter(*second, "Depth"));
    EXPECT_EQ(second->MIDIControllers().NoteControllerTarget(7), FindParameter(*second, "Rate"));
    EXPECT_GE(FindParameter(*second, "Depth"), 0);

    // The stored layout: one child per slot in use, the switches on the root.
    auto document = Decode(bytes);
    EXPECT_TRUE(document->GetAttribute("ControllersEnabled") == YString("1"));
    EXPECT_TRUE(document->GetAttribute("NoteControllersEnabled") == YString("1"));
    EXPECT_NE(document->FindChild("PreviousNextPresetController"), nullptr);
    EXPECT_EQ(document->FindChild("Controllers")->GetChildCount(), 2);
    EXPECT_EQ(document->FindChild("NoteControllers")->GetChildCount(), 1);
    const YXMLItem* multis = document->FindChild("MultiParameters");
    ASSERT_NE(multis, nullptr);
    EXPECT_EQ(multis->GetChildCount(), 2);
    EXPECT_NE(multis->FindChild("MultiParameter1"), nullptr);
    EXPECT_NE(multis->FindChild("MultiParameter3"), nullptr);
}

TEST_F(FrameControlsTest, ANameThatIsGoneDrivesNothingAndBadBankTextIsReportedWhileTheRestLoads) {
    static std::vector<std::string> reports;
    reports.clear();
    const YErrorReportHook previous = YSetErrorReportHook([](const YString& text) { reports.push_back(text.ToUTF8()); });
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const std::string xml =
        "<settings ControllersEnabled=\"1\"><Controllers><Controller2 Enabled=\"1\" ParameterName=\"Gone\"/>"
        "</Controllers><MultiParameters><MultiParameter0 Name=\"A\" Mode=\"Banks\" BankCount=\"2\">"
        "<Parameter ParameterName=\"Depth\" Value=\"0.25\">XYZ</Parameter></MultiParameter0>"
        "<MultiParameter2 Name=\"B\"><Parameter ParameterName=\"Nothing\"/></MultiParameter2></MultiParameters></settings>";
    EXPECT_TRUE(plugin->LoadState(xml.data(), xml.size()));
    YSetErrorReportHook(previous);

    EXPECT_EQ(plugin->MIDIControllers().ControllerTarget(2), -1);
    EXPECT_EQ(plugin->MultiParameter(2).Targets.at(0).ParameterIndex, -1);
    EXPECT_TRUE(plugin->MultiParameter(2).Name == YString("B"));
    const YMultiParameter& banks = plugin->MultiParameter(0);
    ASSERT_EQ(banks.Targets.size(), 1u);
    EXPECT_EQ(banks.Targets[0].Banks, (std::vector<float>{0.25f, 0.25f}));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Value doesn't have correct format.");

    // A later load without the items keeps the tables; a load with them starts from empty slots.
    const std::string empty = "<settings><MultiParameters/></settings>";
    EXPECT_TRUE(plugin->LoadState(empty.data(), empty.size()));
    EXPECT_FALSE(plugin->MultiParameter(0).InUse());
    EXPECT_TRUE(plugin->Controller(2).Enabled);
}

TEST_F(FrameControlsTest, TheMultiparametersAndTriggersAreHostParametersAfterTheEffects) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const int32_t depth = FindParameter(*plugin, "Depth");
    ASSERT_GE(depth, 0);
    ASSERT_EQ(plugin->GetParameterCount(), 25);
    EXPECT_EQ(FindParameter(*plugin, "Multiparameter 1"), 17);
    EXPECT_EQ(FindParameter(*plugin, "Multiparameter 4"), 20);
    EXPECT_EQ(FindParameter(*plugin, "Preset trigger - previous"), 21);
    EXPECT_EQ(FindParameter(*plugin, "Preset trigger - next"), 22);

    YMultiParameter& multi = plugin->MultiParameter(0);
    YMultiParameterTarget target;
    target.ParameterName = "Depth";
    target.Range = {0.2, 0.8, 1.0, kRangeInterval, false};
    multi.Targets.push_back(target);
    YMultiParameterTarget self; // the frame's own controls are never targets
    self.ParameterName = "Multiparameter 2";
    multi.Targets.push_back(self);
    plugin->ResolveControls();
    EXPECT_EQ(multi.Targets[1].ParameterIndex, -1);

    plugin->SetParameter(17, 1.0);
    EXPECT_DOUBLE_EQ(plugin->GetParameter(17), 1.0);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.8, 1e-9);
    EXPECT_TRUE(plugin->GetParameterValueName(17) == YString("100.0%"));
    plugin->SetParameter(17, 0.0);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.2, 1e-9);
    multi.ValueMode = kMultiParameterByFirstParameter;
    EXPECT_TRUE(plugin->GetParameterValueName(17) == plugin->GetParameterValueName(depth));
    EXPECT_NEAR(plugin->ParseParameterValueName(18, "25%"), 0.25, 1e-12);

    // A trigger crossing 2/3 queues one step at the next block.
    Buffers block(2, 64);
    int32_t step = 0;
    plugin->SetParameter(22, 1.0);
    block.Process(*plugin);
    block.Process(*plugin);
    ASSERT_TRUE(plugin->TakePresetStep(step));
    EXPECT_EQ(step, 1);
    EXPECT_FALSE(plugin->TakePresetStep(step));
}

TEST_F(FrameControlsTest, MIDIReachesTheControllersAtTheNextBlockStartAndThePresetSwitchQueuesOnce) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const int32_t depth = FindParameter(*plugin, "Depth");
    plugin->SetControllersEnabled(true);
    YMIDIControllerAssignment& slot = plugin->Controller(0);
    slot = {true, "Depth", 0.0, 0.0, 1.0, 3, 74, kRangeUpOnly, false};
    YMIDIPresetSwitchController& preset = plugin->PreviousNextPresetController();
    preset.Enabled = true;
    preset.Controller = 20;
    plugin->ResolveControls();
    plugin->SetParameter(depth, 0.5);
    Buffers block(2, 64);
    block.Process(*plugin);

    const uint8_t otherChannel[4] = {0xB3, 74, 127, 0}; // channel 4: not heard
    plugin->ProcessMIDIEvent(0, otherChannel);
    block.Process(*plugin);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.5, 1e-9);
    const uint8_t channelThree[4] = {0xB2, 74, 127, 0};
    plugin->ProcessMIDIEvent(0, channelThree);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.5, 1e-9); // not before the block
    block.Process(*plugin);
    EXPECT_NEAR(plugin->GetParameter(depth), 1.0, 1e-9);

    // Up past 2/3 twice without coming back below: one step; down past 1/3: one step back.
    int32_t step = 0;
    for (const uint8_t value : {127, 120, 110, 0, 10}) {
        const uint8_t message[4] = {0xB0, 20, value, 0};
        plugin->ProcessMIDIEvent(0, message);
        block.Process(*plugin);
    }
    ASSERT_TRUE(plugin->TakePresetStep(step));
    EXPECT_EQ(step, 1);
    ASSERT_TRUE(plugin->TakePresetStep(step));
    EXPECT_EQ(step, -1);
    EXPECT_FALSE(plugin->TakePresetStep(step));

    // Learning: the message goes to the GUI side with its channel counted from 1.
    plugin->MIDIControllers().SetLearning(true);
    const uint8_t learn[4] = {0xB5, 7, 64, 0};
    plugin->ProcessMIDIEvent(0, learn);
    block.Process(*plugin);
    EXPECT_TRUE(plugin->TakeMIDILearnNotification());
    YMIDIControllerMap::Learned learned;
    ASSERT_TRUE(plugin->TakeMIDILearned(learned));
    EXPECT_EQ(learned.Channel, 6);
    EXPECT_EQ(learned.Controller, 7);
}
