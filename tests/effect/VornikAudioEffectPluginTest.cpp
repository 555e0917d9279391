// The flanger's parameter records, texts and the updates that derive its filters and lines.
#include "VornikEffectTestSupport.h"

#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace VornikEffectTest;

// ---------------------------------------------------------------------------------------------
// Parameter table

TEST(VornikAudioEffectPlugin, ParameterTableHoldsTheFlangerRecords) {
    V effect;
    ASSERT_EQ(effect.ParameterCount(), 16);
    struct Row {
        int index;
        const char* id;
        const char* name;
        double min, max, def;
        ParameterShape shape;
        bool interpolable, markOwner, randomizable;
    };
    const Row rows[] = {
        {V::kDepth, "Depth", "Depth", -2.0, 2.0, 1.0, kShapeLinear, false, false, true},
        {V::kRange, "Range2", "Range", 0.0, 0.01, 0.0008, kShapeSquare, false, true, true},
        {V::kRate, "rate", "Rate", -2.0, 1.3010299956639813, -0.6989700043360187, kShapeLinear, false, true,
         true},
        {V::kFeedback, "Feedback", "Feedback", -1.0, 1.0, 0.0, kShapeLinear, false, false, true},
        {V::kPhaseDifference, "phasediff", "Phase difference", -1.0, 1.0, 0.0, kShapeLinear, true, false,
         true},
        {V::kDelay, "Delay", "Delay", 0.0, 0.02, 0.0, kShapeLinear, true, true, true},
        {V::kMinFrequency, "MinFreq", "Min frequency", 1.3010299956639813, 4.301029995663981,
         1.6020599913279625, kShapeLinear, true, true, false},
        {V::kMaxFrequency, "MaxFreq", "Max frequency", 1.3010299956639813, 4.301029995663981,
         4.301029995663981, kShapeLinear, true, true, false},
        {V::kJet, "TremoloDepth", "Jet", -1.0, 1.0, 0.0, kShapeLinear, false, false, true},
        {V::kJetPhase, "TremoloPhase", "Jet phase", 0.0, 1.0, 0.0, kShapeLinear, false, false, true},
        {V::kSaturation, "Saturation", "Saturation", 0.0, 1.0, 0.0, kShapeLinear, false, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const PluginParameter& p = effect.Parameter(r.index);
        EXPECT_EQ(p.Kind, kParameterFloat);
        EXPECT_EQ(p.ID, YString::Literal(r.id));
        EXPECT_EQ(p.Name, YString::Literal(r.name));
        EXPECT_DOUBLE_EQ(p.Float.Min, r.min);
        EXPECT_DOUBLE_EQ(p.Float.Max, r.max);
        EXPECT_DOUBLE_EQ(p.Float.Default, r.def);
        EXPECT_EQ(p.Float.Value, p.Float.Default);
        EXPECT_EQ(p.Float.Processing, p.Float.Default);
        EXPECT_EQ(p.Float.Shape, r.shape);
        EXPECT_EQ(p.IsInterpolable(), r.interpolable);
        EXPECT_EQ((p.FlagsA & PluginParameter::kMarkOwner) != 0, r.markOwner);
        EXPECT_EQ(p.IsRandomizable(), r.randomizable);
        EXPECT_NE(p.FlagsA & PluginParameter::kDefined, 0);
        EXPECT_NE(p.FlagsA & PluginParameter::kPublish, 0);
        EXPECT_NE(p.TextFunction, nullptr);
    }
    const PluginParameter& mode = effect.Parameter(V::kMode);
    EXPECT_EQ(mode.Kind, kParameterEnum);
    EXPECT_EQ(mode.ID, YString("Mode"));
    EXPECT_EQ(mode.Enum.Count, 3);
    EXPECT_EQ(mode.Enum.Default, 0);
    EXPECT_NE(mode.FlagsA & PluginParameter::kMarkOwner, 0);

    // The host-sync records follow at 12 ... 15.
    EXPECT_EQ(effect.Parameter(12).ID, YString("sync"));
    EXPECT_EQ(effect.Parameter(13).ID, YString("synclength__"));
    EXPECT_EQ(effect.Parameter(14).ID, YString("synctype"));
    EXPECT_EQ(effect.Parameter(15).ID, YString("syncphase"));

    ASSERT_EQ(effect.SpecialParameterCount(), 1);
    EXPECT_EQ(effect.SpecialParameters()[0].Name, YString("Shape"));
    EXPECT_EQ(effect.SpecialParameters()[0].Kind, kParameterSpecial);
}

TEST(VornikAudioEffectPlugin, ShapeRecordPublishesTheGeneratorShape) {
    V effect;
    ASSERT_EQ(effect.SpecialParameterCount(), 1);
    PluginParameter& record = effect.SpecialParameters()[0];
    EXPECT_EQ(record.Special.Object, static_cast<YParameterSpecialObject*>(&effect.Generator()));
    EXPECT_NE(record.FlagsA & PluginParameter::kPublish, 0);

    ParameterAdapterSetup setup;
    setup.Owner = &effect;
    setup.Record = &record;
    setup.Index = V::kParameterCount;
    std::unique_ptr<YAudioPluginAutomationAdapter> adapter = CreateParameterAdapter(setup);
    ASSERT_NE(adapter, nullptr);
    ASSERT_EQ(adapter->IndexCount(), 1);
    YString name;
    adapter->GetParameterName(name, 0);
    EXPECT_EQ(name, YString("Shape"));

    // Default "Sine" is bank position 5 of 15.
    EXPECT_NEAR(adapter->GetParameter(0), 5.0 / 15.0, 1e-12);
    EXPECT_NEAR(adapter->GetParameterDefaultValue(0), 5.0 / 15.0, 1e-12);
    effect.Generator().Refresh();
    const float* table = effect.Generator().Table();
    EXPECT_NEAR(table[1024], std::sin(kPi / 4.0), 1e-4);

    // A host write moves the generator to "Triangle" and its next rebuild follows.
    adapter->SetParameter(0, 1.0 / 15.0, false);
    EXPECT_NEAR(effect.Generator().GetValue(), 1.0, 1e-9);
    EXPECT_TRUE(effect.Generator().IsDirty());
    EXPECT_TRUE(effect.Generator().Refresh());
    EXPECT_NEAR(table[1024], 0.5, 1e-4);
    EXPECT_NEAR(table[2048], 1.0, 1e-4);
    EXPECT_NEAR(adapter->GetParameter(0), 1.0 / 15.0, 1e-12);

    // And the generator's own changes read back through the adapter.
    effect.Generator().SetValue(15.0);
    EXPECT_NEAR(adapter->GetParameter(0), 1.0, 1e-12);
}

TEST(VornikAudioEffectPlugin, HelpTextsAreTheProductTexts) {
    V effect;
    const std::pair<int, const char*> texts[] = {
        {V::kMode, "<name>Mode</name> determines the way flange effect is performed. Default mode works by "
                   "mixing slightly variably delayed signal with the original. Tape modes, also known as "
                   "through-null, delay the input signal appropriately as well. They simulate the original "
                   "way flanging was performed using 2 tapes, tampering one with fingers."},
        {V::kDepth, "<name>Depth</name> defines how powerful the effect is. Note that it also affects the "
                    "amount of dry signal."},
        {V::kRange, "<name>Range</name> defines flanging frequency delay line size."},
        {V::kRate, "<name>Rate</name> defines speed of the low frequency oscillator. This is available only "
                   "when synchronization to host is disabled."},
        {V::kFeedback,
         "<name>Feedback</name> determines how much of the signal is returned to the input after "
         "the delay time."},
        {V::kPhaseDifference, "<name>Phase difference</name> defines phase difference between particular "
                              "channels. This is very simple and often practical way to accomplish some kind "
                              "of stereo expansion."},
        {V::kDelay, "<name>Delay</name> defines delay applied on the flanging signal."},
        {V::kMinFrequency, "<name>Min frequency</name> defines minimal flanging signal frequency."},
        {V::kMaxFrequency, "<name>Max frequency</name> defines maximal flanging signal frequency."},
        {V::kJet, "<name>Jet</name> defines how powerful additional tremolo effect is. It affects which part "
                  "of the flaging signal is passed."},
        {V::kJetPhase, "<name>Jet phase</name> defines phase offset of the tremolo generator to the flange "
                       "shape generator."},
        {V::kSaturation,
         "<name>Saturation</name> defines amount of saturation applied on the flanging signal."},
    };
    for (const auto& [index, text] : texts)
        EXPECT_EQ(effect.Parameter(index).Description, YString::Literal(text));
}

TEST(VornikAudioEffectPlugin, ValueTextsAndEnumerationMapping) {
    V effect;
    PluginParameter& depth = effect.Parameter(V::kDepth);
    const std::pair<double, const char*> depths[] = {{1.0, "100% wet, 100% dry"},
                                                     {2.0, "100% wet, 0% dry"},
                                                     {-1.5, "-100% wet, 50% dry"},
                                                     {0.5, "50% wet, 100% dry"},
                                                     {0.005, "1% wet, 100% dry"}};
    for (const auto& [value, text] : depths) {
        depth.Float.Value = value;
        YString out;
        depth.GetValueText(out);
        EXPECT_EQ(out, YString::Literal(text)) << value;
    }
    depth.ParseValueText("-50");
    EXPECT_DOUBLE_EQ(depth.Float.Value, -0.5);

    PluginParameter& mode = effect.Parameter(V::kMode);
    const std::pair<double, int> positions[] = {{0.0, 0}, {0.2, 0}, {0.5, 1}, {0.83, 2}, {1.0, 2}};
    for (const auto& [x, index] : positions) {
        mode.SetNormalized(x);
        EXPECT_EQ(mode.Enum.Value, index) << x;
    }
    YString name;
    mode.GetValueText(name);
    EXPECT_EQ(name, YString("Tape 2"));
    EXPECT_EQ(mode.ParseValueText("Tape"), 0.5);
    EXPECT_EQ(mode.ParseValueText("Tape 2"), 1.0);
    EXPECT_EQ(mode.ParseValueText("Default"), 0.0);
    EXPECT_EQ(mode.ParseValueText("Cassette"), 0.0);

    // Range: square shape, shown in ms; Rate and the frequencies typed in Hz.
    PluginParameter& range = effect.Parameter(V::kRange);
    YString text;
    range.GetValueText(text);
    EXPECT_EQ(text, YString("0.80 ms"));
    range.SetNormalized(0.5);
    EXPECT_DOUBLE_EQ(range.Float.Value, 0.0025);
    PluginParameter& rate = effect.Parameter(V::kRate);
    rate.ParseValueText("2");
    EXPECT_NEAR(rate.Float.Value, std::log10(2.0), 1e-15);
    rate.ParseValueText("-3");
    EXPECT_NEAR(rate.Float.Value, std::log10(2.0), 1e-15);
    PluginParameter& phase = effect.Parameter(V::kPhaseDifference);
    phase.ParseValueText("90");
    EXPECT_DOUBLE_EQ(phase.Float.Value, 0.25);
}

// ---------------------------------------------------------------------------------------------
// Update

TEST(VornikAudioEffectPlugin, UpdateDerivesRangeFiltersAndLineSizes) {
    struct Case {
        double fs;
        Settings s;
        bool sinc;
        double range;
        int tape, preLength, lineLength, dryLength;
    };
    auto with = [](auto f) {
        Settings s;
        f(s);
        return s;
    };
    const Case cases[] = {
        // Defaults at 48 kHz: 38.4 samples; R = 481, line 2R + 5.
        {48000.0, Settings{}, false, 38.4, 0, 1, 967, 1},
        {48000.0, Settings{}, true, 38.4, 0, 1, 1001, 18},
        // Range 0 still sweeps one sample; Delay 0 still delays by one.
        {48000.0, with([](Settings& s) { s.range = 0.0; }), false, 1.0, 0, 1, 967, 1},
        // Tape modes: the dry path waits the latency of the largest range (441 samples at
        // 44.1 kHz), the pre-delay what the present range leaves of it.
        {44100.0, with([](Settings& s) { s.range = 0.01, s.mode = V::kModeTape2; }), false, 441.0, 441, 1,
         889, 442},
        {44100.0, with([](Settings& s) { s.range = 0.001, s.mode = V::kModeTape; }), false, 44.1, 22,
         1 + (220 - 22), 889, 221},
        {48000.0, with([](Settings& s) { s.range = 0.001, s.mode = V::kModeTape, s.delay = 0.02; }), true,
         48.0, 24, 960 + (240 - 24), 1001, 18 + 240},
        {96000.0, with([](Settings& s) { s.delay = 0.0031; }), false, 76.8, 0, 297, 1927, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fs << " range " << c.s.range << " mode " << c.s.mode);
        YEffectFrameSettings frame;
        frame.Sinc = c.sinc ? 1 : 0;
        auto effect = MakeEffect(c.s, 2, c.fs, &frame);
        EXPECT_DOUBLE_EQ(effect->MaximumRange(), c.fs * 0.01);
        EXPECT_DOUBLE_EQ(effect->CurrentRange(), c.range);
        EXPECT_DOUBLE_EQ(effect->TargetRange(), c.range);
        EXPECT_EQ(effect->RangeStep(), 0.0);
        EXPECT_EQ(effect->TapeDelay(), c.tape);
        EXPECT_EQ(effect->SincInterpolation(), c.sinc);
        EXPECT_EQ(effect->DryDelayed(), c.tape >= 1 || c.sinc);
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(effect->PreDelayLine(ch).Length(), c.preLength);
            EXPECT_EQ(effect->ModulatedLine(ch).Length(), c.lineLength);
            EXPECT_EQ(effect->ModulatedLine(ch).Margin(), c.sinc ? 39 : 5);
            EXPECT_EQ(effect->DryLine(ch).Length(), c.dryLength);
        }
        EXPECT_EQ(effect->LowPass().FilterType(), YBiquadFilterDesign::kLowPass);
        EXPECT_EQ(effect->HighPass().FilterType(), YBiquadFilterDesign::kHighPass);
        EXPECT_NEAR(effect->HighPass().Frequency(), 40.0, 1e-9);
        EXPECT_NEAR(effect->LowPass().Frequency(), 20000.0, 1e-9);
        EXPECT_EQ(effect->LowPass().Q(), 0.7);
    }
}

TEST(VornikAudioEffectPlugin, UpdateWaitsForASampleRate) {
    V effect;
    effect.Parameter(V::kRange).Float.Value = 0.005;
    effect.Update();
    EXPECT_EQ(effect.CurrentRange(), 0.0);
    EXPECT_EQ(effect.ModulatedLine(0).Length(), 0);
    EXPECT_EQ(effect.LowPass().ChangeCounter(), 0u);
    // Process before any preparation leaves the signal alone.
    Channels in = TestSignal(1, 16, 0.5), out(1, std::vector<float>(16, 9.0f));
    ProcessBlock(effect, in, out, 0, 16);
    EXPECT_EQ(out[0], std::vector<float>(16, 9.0f)); // no channels prepared: nothing written
}

TEST(VornikAudioEffectPlugin, RangeGlidesAtOneHundredthSamplePerSample) {
    auto effect = MakeEffect(Settings{}, 1, 48000.0, nullptr);
    EXPECT_DOUBLE_EQ(effect->CurrentRange(), 38.4);
    // 100 samples more: 10 000 samples of glide.
    effect->Parameter(V::kRange).Float.Value = (38.4 + 100.0) / 48000.0;
    effect->Update();
    EXPECT_NEAR(effect->TargetRange(), 138.4, 1e-9);
    EXPECT_DOUBLE_EQ(effect->RangeStep(), 0.01);
    Channels in(1, std::vector<float>(10000, 0.0f)), out = in;
    ProcessBlock(*effect, in, out, 0, 5000);
    EXPECT_NEAR(effect->CurrentRange(), 88.4, 1e-6);
    EXPECT_DOUBLE_EQ(effect->RangeStep(), 0.01);
    ProcessBlock(*effect, in, out, 5000, 4999);
    EXPECT_LT(effect->CurrentRange(), 138.4);
    ProcessBlock(*effect, in, out, 9999, 1);
    EXPECT_DOUBLE_EQ(effect->CurrentRange(), effect->TargetRange());
    EXPECT_EQ(effect->RangeStep(), 0.0);

    // A difference below one step is reached in one sample; downwards as well.
    effect->Parameter(V::kRange).Float.Value = (138.4 - 0.004) / 48000.0;
    effect->Update();
    EXPECT_NEAR(effect->RangeStep(), -0.004, 1e-9);
    ProcessBlock(*effect, in, out, 0, 1);
    EXPECT_NEAR(effect->CurrentRange(), effect->TargetRange(), 1e-9);
    // Landing on the target going down settles on the next sample, before any read sees it.
    ProcessBlock(*effect, in, out, 1, 1);
    EXPECT_EQ(effect->CurrentRange(), effect->TargetRange());
    EXPECT_EQ(effect->RangeStep(), 0.0);
    effect->Parameter(V::kRange).Float.Value = 10.0 / 48000.0;
    effect->Update();
    EXPECT_DOUBLE_EQ(effect->RangeStep(), -0.01);
}

TEST(VornikAudioEffectPlugin, LegacyParameterRangeLoadsAsRange) {
    auto effect = MakeEffect(Settings{}, 2, 48000.0, nullptr);
    YXMLItem item("settings");
    item.SetAttribute("parameterRange", "0.02");
    effect->Load(item);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.0008);
    item.SetAttribute("parameterRange", "0.1");
    effect->Load(item);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.004);
    // Load runs Update: the new range is the glide's target.
    EXPECT_NEAR(effect->TargetRange(), 192.0, 1e-9);
    // Absurd values stay inside the record's range.
    item.SetAttribute("parameterRange", "7");
    effect->Load(item);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.01);

    // Without the attribute Range stays as it is.
    YXMLItem plain("settings");
    effect->Parameter(V::kRange).Float.Value = 0.003;
    effect->Load(plain);
    EXPECT_DOUBLE_EQ(effect->Parameter(V::kRange).Float.Value, 0.003);
}
