#include "effect/YModulationPluginBase.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "support/AllocationCounting.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int32_t kRate = 3;
constexpr int32_t kSync = 12;

// The smallest effect on the modulation base: it writes each channel's modulation block to
// its output, so tests see exactly what an effect would be driven with.
class LfoEffect : public YModulationPluginBase {
public:
    PluginParameter Records[16];

    LfoEffect() {
        SetParameterTable(Records, 16);
        InitModulation(kRate, 0.01, 20.0, 0.2, kSync);
    }

    void DefineSynchronizationParameters() override {
        GetHostSync().DefineParameters(Records[12], Records[13], Records[14], Records[15]);
    }

    void Process(const YProcessingContext& context, float* const*, float* const* outputs,
                 int32_t frames) override {
        HostPhase(context);
        RefreshGenerator();
        YPlugin::ScopedLock lock(*this);
        for (int32_t c = 0; c < ChannelCount(); ++c) {
            const double* l = ModulationBlock(c, Phase(), Increment(), frames);
            for (int32_t i = 0; i < frames; ++i) outputs[c][i] = static_cast<float>(l[i]);
        }
        AdvancePhase(frames);
    }

    void SetSync(bool on, int32_t lengthIndex = 9, int32_t typeIndex = 0, double phase = 0.25) {
        GetHostSync().SetEnabled(on);
        Records[13].Enum.Value = lengthIndex;
        Records[14].Enum.Value = typeIndex;
        Records[15].Float.Value = phase;
    }
};

// Runs frames samples through a prepared effect, one channel, and returns them.
std::vector<float> RunBlock(LfoEffect& effect, int32_t frames, const YProcessingContext& context = {}) {
    std::vector<float> out(static_cast<size_t>(frames));
    float* channels[1] = {out.data()};
    effect.Process(context, channels, channels, frames);
    return out;
}

int64_t CountingHost(void* holder, int32_t request, int64_t) {
    auto* requests = static_cast<std::vector<int32_t>*>(holder);
    requests->push_back(request);
    return 0;
}

} // namespace

TEST(YModulationPluginBaseTest, InitModulationDefinesRateAndInstallsMidiReset) {
    LfoEffect effect;
    const PluginParameter& rate = effect.Records[kRate];
    EXPECT_EQ(rate.Kind, kParameterFloat);
    EXPECT_EQ(rate.ID, YString("rate"));
    EXPECT_EQ(rate.Name, YString("Rate"));
    EXPECT_DOUBLE_EQ(rate.Float.Min, -2.0);
    EXPECT_DOUBLE_EQ(rate.Float.Max, 1.3010299956639813);
    EXPECT_DOUBLE_EQ(rate.Float.Default, -0.6989700043360187);
    EXPECT_DOUBLE_EQ(rate.Float.Value, rate.Float.Default);
    EXPECT_DOUBLE_EQ(rate.Float.Processing, rate.Float.Default);
    EXPECT_EQ(rate.TextFunction, &ParameterTextFrequency);
    EXPECT_TRUE(rate.Description.Find(YString("<name>Rate</name>")) == 0);
    EXPECT_EQ(effect.Records[kSync].ID, YString("sync"));
    EXPECT_EQ(effect.Records[kSync + 3].ID, YString("syncphase"));
    EXPECT_TRUE(effect.HasEffectFlag(kEffectFlagUsesHostTime));
    EXPECT_TRUE(effect.HasEffectFlagB(kEffectFlagBAcceptsMIDI));
    EXPECT_EQ(effect.MIDIProcessor(), &effect.MIDIReset());
    EXPECT_EQ(effect.MIDIReset().Owner(), &effect);
    EXPECT_EQ(effect.Phase(), 0.0);
    EXPECT_EQ(effect.Increment(), 0.0);
}

TEST(YModulationPluginBaseTest, InitModulationRejectsBadRangesAndIndices) {
    struct Bad : LfoEffect {
        void Try(int32_t index, double lo, double hi, double def) {
            InitModulation(index, lo, hi, def, kSync);
        }
    } effect;
    EXPECT_THROW(effect.Try(16, 0.01, 20.0, 0.2), YException);
    EXPECT_THROW(effect.Try(-1, 0.01, 20.0, 0.2), YException);
    EXPECT_THROW(effect.Try(kRate, 0.0, 20.0, 0.2), YException);
    EXPECT_THROW(effect.Try(kRate, 1.0, 0.5, 0.7), YException);
    EXPECT_THROW(effect.Try(kRate, 0.01, 20.0, 30.0), YException);
}

TEST(YModulationPluginBaseTest, UpdateTurnsRateIntoIncrement) {
    LfoEffect effect;
    effect.Update(); // no sample rate yet: nothing
    EXPECT_EQ(effect.Increment(), 0.0);
    effect.Prepare(2, 44100.0);
    effect.Update();
    EXPECT_NEAR(effect.Increment(), 0.2 / 44100.0, 1e-18);
    effect.Records[kRate].Float.Value = 1.0; // 10 Hz
    effect.Update();
    EXPECT_NEAR(effect.Increment(), 10.0 / 44100.0, 1e-16);
    // A ramp holds the record: the shadow value is what counts.
    effect.Records[kRate].SetHold(true);
    effect.Records[kRate].Float.Shadow = 0.0;
    effect.Update();
    EXPECT_NEAR(effect.Increment(), 1.0 / 44100.0, 1e-17);
}

TEST(YModulationPluginBaseTest, UpdateAnnouncesRateAvailabilityOnlyWhenItChanges) {
    LfoEffect effect;
    std::vector<int32_t> requests;
    effect.AttachHost(&requests, &CountingHost);
    effect.Prepare(1, 48000.0);
    effect.Update();
    EXPECT_TRUE(requests.empty());
    EXPECT_NE(effect.Records[kRate].FlagsB & 0x04, 0);

    effect.SetSync(true);
    effect.Update();
    EXPECT_EQ(effect.Records[kRate].FlagsB & 0x04, 0);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], kHostRequestParameterAvailability);
    effect.Update();
    EXPECT_EQ(requests.size(), 1u);

    effect.SetSync(false);
    effect.Update();
    EXPECT_NE(effect.Records[kRate].FlagsB & 0x04, 0);
    EXPECT_EQ(requests.size(), 2u);
    // Other flag bits are left alone.
    EXPECT_NE(effect.Records[kRate].FlagsB & 0x01, 0);
}

TEST(YModulationPluginBaseTest, HostPhaseFollowsTempoAndPosition) {
    struct Case {
        const char* name;
        bool sync;
        bool midiReset;
        double tempo;
        double position;
        double expectPhase;
        double expectIncrement;
    };
    const double free = 0.2 / 48000.0;
    const double beat = 120.0 / (48000.0 * 240.0) * 4.0;
    const Case cases[] = {
        {"SyncOffRunsFree", false, false, 120.0, 2.5, 0.1, free},
        {"QuarterNoteAtOneTwenty", true, false, 120.0, 2.5, 0.75, beat},
        {"NegativePositionKeepsPhase", true, false, 120.0, -1.0, 0.1, beat},
        {"NegativeTempoKeepsBoth", true, false, -1.0, 2.5, 0.1, free},
        {"NaNTempoKeepsBoth", true, false, std::nan(""), 2.5, 0.1, free},
        {"MidiResetOwnsThePhase", true, true, 120.0, 2.5, 0.1, beat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LfoEffect effect;
        effect.Prepare(1, 48000.0);
        effect.SetSync(c.sync);
        effect.MIDIReset().Enabled = c.midiReset;
        effect.Update();
        if (!c.sync) {
            EXPECT_NEAR(effect.Increment(), free, 1e-18);
        }
        effect.SetIncrement(free);
        effect.SetPhase(0.1);
        YProcessingContext context;
        context.Tempo = c.tempo;
        context.SongPosition = c.position;
        effect.HostPhase(context);
        EXPECT_NEAR(effect.Phase(), c.expectPhase, 1e-12);
        EXPECT_NEAR(effect.Increment(), c.expectIncrement, 1e-18);
    }
    EXPECT_NEAR(beat, 4.1666666666666665e-05, 1e-18);
}

TEST(YModulationPluginBaseTest, HostPhaseUsesLengthTypeAndPhaseOffset) {
    LfoEffect effect;
    effect.Prepare(1, 44100.0);
    effect.SetSync(true, 7, 1, 0.0); // "1" triplets: 1.5 cycles per whole note
    effect.Update();
    YProcessingContext context;
    context.Tempo = 90.0;
    context.SongPosition = 3.0; // 0.75 whole notes
    effect.HostPhase(context);
    EXPECT_NEAR(effect.Increment(), 90.0 / (44100.0 * 240.0) * 1.5, 1e-18);
    EXPECT_NEAR(effect.Phase(), std::fmod(3.0 * 1.5 * 0.25, 1.0), 1e-12);
}

TEST(YModulationPluginBaseTest, PhaseAdvancesAndWrapsAcrossBlocks) {
    LfoEffect effect;
    effect.Prepare(1, 1000.0);
    effect.Records[kRate].Float.Value = 1.0; // 10 Hz at 1 kHz: 0.01 cycles per sample
    effect.Update();
    RunBlock(effect, 30);
    EXPECT_NEAR(effect.Phase(), 0.3, 1e-12);
    RunBlock(effect, 80);
    EXPECT_NEAR(effect.Phase(), 0.1, 1e-12);
    effect.Skip(250);
    EXPECT_NEAR(effect.Phase(), 0.6, 1e-12);
    effect.Skip(-5);
    EXPECT_NEAR(effect.Phase(), 0.6, 1e-12);
    effect.Prepare(1, 1000.0);
    EXPECT_EQ(effect.Phase(), 0.0);
    EXPECT_EQ(effect.Increment(), 0.0);
}

TEST(YModulationPluginBaseTest, ModulationBlockReadsTheGeneratorAtEachPhase) {
    LfoEffect effect;
    effect.Prepare(1, 1000.0);
    effect.Update();
    effect.RefreshGenerator();
    const double* l = effect.ModulationBlock(0, 0.25, 0.125, 5);
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(l[i], effect.Generator().Evaluate(0.25 + 0.125 * i)) << i;
}

namespace {

// Block 2 after a shape change: what the generator gives and what came out.
struct ShapeChange {
    std::vector<float> before;
    std::vector<double> raw;
    std::vector<float> after;
};

ShapeChange ChangeShapeMidStream(LfoEffect& effect, int32_t firstBlock, int32_t secondBlock) {
    ShapeChange result;
    result.before = RunBlock(effect, firstBlock);
    effect.Generator().SetValue(0.0);
    const double start = effect.Phase();
    result.after = RunBlock(effect, secondBlock);
    EXPECT_TRUE(effect.GeneratorChanged());
    for (int32_t i = 0; i < secondBlock; ++i)
        result.raw.push_back(effect.Generator().Evaluate(start + i * effect.Increment()));
    return result;
}

LfoEffect& PrepareAtOneHertz(LfoEffect& effect) {
    effect.Prepare(1, 1000.0);
    effect.Records[kRate].Float.Value = 0.0; // 1 Hz at 1 kHz
    effect.Update();
    return effect;
}

} // namespace

TEST(YModulationPluginBaseTest, ShapeChangeIsFadedOutOverOneSecond) {
    LfoEffect effect;
    PrepareAtOneHertz(effect);
    const ShapeChange c = ChangeShapeMidStream(effect, 200, 1500);
    const double continued = 2.0 * c.before[199] - c.before[198];
    const double jump = continued - c.raw[0];
    ASSERT_GT(std::fabs(jump), 0.1); // the shapes really differ here
    // The first value continues the old line, one step of the fade already taken.
    EXPECT_NEAR(c.after[0], continued - jump / 1000.0, 1e-5);
    for (int32_t i = 0; i < 1500; ++i) {
        const double expected =
            c.raw[static_cast<size_t>(i)] + (i < 1000 ? jump * (1.0 - (i + 1) / 1000.0) : 0.0);
        ASSERT_NEAR(c.after[static_cast<size_t>(i)], expected, 1e-5) << i;
    }
    EXPECT_EQ(c.after[1200], static_cast<float>(c.raw[1200]));
}

TEST(YModulationPluginBaseTest, FadeCarriesAcrossShortBlocks) {
    LfoEffect effect;
    PrepareAtOneHertz(effect);
    RunBlock(effect, 100);
    effect.Generator().SetValue(0.0);
    std::vector<float> out;
    for (int32_t b = 0; b < 12; ++b) {
        const std::vector<float> block = RunBlock(effect, b == 0 ? 1 : 100); // a 1-sample block too
        out.insert(out.end(), block.begin(), block.end());
    }
    // Only the first block arms; afterwards the correction keeps shrinking and ends.
    const double startPhase = 100 * effect.Increment();
    double previousCorrection = 1e9;
    for (size_t i = 0; i < out.size(); ++i) {
        const double correction =
            std::fabs(out[i] - effect.Generator().Evaluate(startPhase + i * effect.Increment()));
        if (i >= 1000) {
            ASSERT_LT(correction, 1e-6) << i;
        } else {
            ASSERT_LE(correction, previousCorrection + 1e-6) << i;
        }
        previousCorrection = correction;
    }
}

TEST(YModulationPluginBaseTest, DeclickingCanBeSwitchedOffAndNeverFadesFromNothing) {
    LfoEffect off;
    PrepareAtOneHertz(off);
    YEffectFrameSettings settings;
    settings.ModulationDeclick = 0;
    off.SetFrameSettings(&settings);
    const ShapeChange c = ChangeShapeMidStream(off, 200, 300);
    for (size_t i = 0; i < c.raw.size(); ++i) ASSERT_EQ(c.after[i], static_cast<float>(c.raw[i])) << i;

    // A change before the first block has no earlier modulation to continue from.
    LfoEffect fresh;
    fresh.Generator().SetValue(2.0);
    PrepareAtOneHertz(fresh);
    const std::vector<float> first = RunBlock(fresh, 50);
    EXPECT_TRUE(fresh.GeneratorChanged());
    for (int32_t i = 0; i < 50; ++i)
        ASSERT_EQ(first[static_cast<size_t>(i)],
                  static_cast<float>(fresh.Generator().Evaluate(i * fresh.Increment())));
}

TEST(YModulationPluginBaseTest, ModulationBlockAllocatesNothingOncePrepared) {
    LfoEffect effect;
    effect.Prepare(8, 48000.0);
    effect.Update();
    EXPECT_EQ(effect.ScratchCapacity(), YAudioEffectPlugin::kDefaultMaximumBlockSize);
    effect.RefreshGenerator();
    uint64_t before = AllocationCounting::Count();
    for (int32_t c = 0; c < 8; ++c) effect.ModulationBlock(c, 0.3, effect.Increment(), 8192);
    EXPECT_EQ(AllocationCounting::Count(), before);

    // Armed declickers, the fade and growth announced ahead of time: still nothing.
    effect.Generator().SetValue(9.0);
    effect.RefreshGenerator();
    effect.SetMaximumBlockSize(20000);
    EXPECT_EQ(effect.ScratchCapacity(), 32768);
    before = AllocationCounting::Count();
    for (int32_t c = 0; c < 8; ++c) effect.ModulationBlock(c, 0.3, effect.Increment(), 20000);
    effect.AdvancePhase(20000);
    effect.Skip(100);
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_GT(effect.GetDeclicker(3).Remaining, 0);

    // A block beyond what was announced still works: the scratch grows to a power of two.
    effect.ModulationBlock(0, 0.0, 0.0, 40000);
    EXPECT_EQ(effect.ScratchCapacity(), 65536);
}

TEST(YModulationPluginBaseTest, MidiNoteThroughTheCommandPutsThePhase) {
    LfoEffect effect;
    PrepareAtOneHertz(effect);
    effect.SetPhase(0.6);
    YEffectArguments note;
    note.SetInteger(0, 0);
    note.SetInteger(1, 60);
    note.SetDouble(2, 0.9);
    note.SetInteger(3, 1 * 2 + 1);
    effect.HandleCommand(kEffectMIDINote, &note);
    EXPECT_DOUBLE_EQ(effect.Phase(), 0.6); // MIDI reset is off by default
    effect.MIDIReset().Enabled = true;
    effect.MIDIReset().Phase = 0.25;
    effect.HandleCommand(kEffectMIDINote, &note);
    EXPECT_DOUBLE_EQ(effect.Phase(), 0.25);
    effect.MIDIReset().Phase = 1.5; // kept inside one cycle
    effect.ResetPhase();
    EXPECT_DOUBLE_EQ(effect.Phase(), 0.5);
}

TEST(YModulationPluginBaseTest, ModulationCommands) {
    LfoEffect effect;
    YEffectArguments a;
    double rate = 1000.0;
    effect.Records[kRate].Float.Value = 0.0;
    a.SetInteger(0, 2);
    a.SetPointer(1, &rate);
    EXPECT_EQ(effect.HandleCommand(kEffectPrepare, &a), 0);
    EXPECT_EQ(effect.ChannelCount(), 2);
    EXPECT_NEAR(effect.Increment(), 0.001, 1e-15);
    a = {};
    a.SetInteger(0, 250);
    effect.HandleCommand(kEffectSkip, &a);
    EXPECT_NEAR(effect.Phase(), 0.25, 1e-12);
    EXPECT_EQ(effect.HandleCommand(kEffectChannelModes, nullptr), -1);
    // Channel counts beyond the per-channel tables are limited to them.
    effect.Prepare(12, 1000.0);
    EXPECT_EQ(effect.ChannelCount(), YAudioEffectPlugin::kMaxChannels);
    effect.Prepare(2, -44100.0);
    EXPECT_EQ(effect.SampleRate(), 0.0);
}

TEST(YModulationPluginBaseTest, StateRoundTripsGeneratorMidiResetAndParameters) {
    LfoEffect source;
    YSignalGenerator& g = source.Generator();
    g.SetValue(2.5);
    g.SetSmoothness(0.3);
    g.SetEnvelopeDepth(0.6);
    g.SetStepCount(12);
    g.SetStepValue(3, 0.7);
    g.SetStepType(5, 1);
    g.SetStepDepth(0.4);
    g.SetPhase(0.2);
    g.SetSkew(-0.3);
    g.SetHarmonic(3, 0.4);
    g.SetHarmonicPhase(7, 0.9);
    YSignalGenerator::HarmonicsSettings harmonics = g.GetHarmonicsSettings();
    harmonics.Slope = 0.5;
    harmonics.Seed = 77.0;
    g.SetHarmonicsSettings(harmonics);
    g.SetMagnitude(4, 0.125);
    // Curves and the custom sample travel with the state too.
    YEnvelopeComputer::PointList curve = YSignalGenerator::DefaultEnvelope();
    curve.points[1].y = 0.25;
    g.SetEnvelope(curve);
    g.SetTransformEnable(true);
    const float ramp[] = {-1.0f, 1.0f};
    g.SetCustomSample(ramp, 2);
    g.SetDepth(0.5);
    source.MIDIReset().Enabled = true;
    source.MIDIReset().Channel = 3;
    source.MIDIReset().Phase = 0.5;
    source.Records[kRate].Float.Value = 0.5;

    YXMLItem root("settings");
    YStorer writer{true, &root};
    source.StoreState(writer);
    ASSERT_NE(root.FindChild("shape"), nullptr);
    ASSERT_NE(root.FindChild("MIDIReset"), nullptr);
    EXPECT_TRUE(root.HasAttribute("parameterrate"));

    LfoEffect target;
    YStorer reader{false, &root};
    target.StoreState(reader);
    const YSignalGenerator& t = target.Generator();
    EXPECT_DOUBLE_EQ(t.GetValue(), 2.5);
    EXPECT_DOUBLE_EQ(t.GetSmoothness(), 0.3);
    EXPECT_DOUBLE_EQ(t.GetEnvelopeDepth(), 0.6);
    EXPECT_EQ(t.GetStepCount(), 12);
    EXPECT_FLOAT_EQ(t.GetStepValue(3), 0.7f);
    EXPECT_EQ(t.GetStepType(5), 1);
    EXPECT_DOUBLE_EQ(t.GetStepDepth(), 0.4);
    EXPECT_DOUBLE_EQ(t.GetPhase(), 0.2);
    EXPECT_DOUBLE_EQ(t.GetSkew(), -0.3);
    EXPECT_DOUBLE_EQ(t.GetHarmonic(3), 0.4);
    EXPECT_DOUBLE_EQ(t.GetHarmonicPhase(7), 0.9);
    EXPECT_DOUBLE_EQ(t.GetHarmonicsSettings().Slope, 0.5);
    EXPECT_DOUBLE_EQ(t.GetHarmonicsSettings().Seed, 77.0);
    EXPECT_DOUBLE_EQ(t.Envelope().Points().points.at(1).y, 0.25);
    EXPECT_TRUE(t.GetTransformEnable());
    EXPECT_TRUE(t.HasCustomSample());
    EXPECT_DOUBLE_EQ(t.GetDepth(), 0.5);
    for (int32_t k = 0; k < YSignalGenerator::kSpectrumLength; ++k) {
        ASSERT_FLOAT_EQ(t.GetMagnitude(k), g.GetMagnitude(k)) << k;
        ASSERT_FLOAT_EQ(t.GetSpectrumPhase(k), g.GetSpectrumPhase(k)) << k;
    }
    EXPECT_TRUE(target.MIDIReset().Enabled);
    EXPECT_EQ(target.MIDIReset().Channel, 3);
    EXPECT_DOUBLE_EQ(target.MIDIReset().Phase, 0.5);
    EXPECT_DOUBLE_EQ(target.Records[kRate].Float.Value, 0.5);

    // The same table once both have rebuilt.
    source.Generator().Refresh();
    target.Generator().Refresh();
    for (int32_t i = 0; i <= YSignalGenerator::kTableLength; i += 97)
        ASSERT_FLOAT_EQ(target.Generator().Table()[i], source.Generator().Table()[i]) << i;
}

TEST(YModulationPluginBaseTest, OlderStatesLoadTheShapeNumber) {
    struct Case {
        const char* name;
        const char* shape; // attribute "shape", or null
        double expectValue;
    };
    const Case cases[] = {
        {"ShapeNumber", "3", 3.0}, {"NoShapeKeepsValue", nullptr, 7.0}, {"Unreadable", "x", 7.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LfoEffect effect;
        effect.Generator().SetValue(7.0);
        effect.Generator().SetEnvelopeDepth(0.8);
        effect.MIDIReset().Enabled = true;
        YXMLItem root("settings");
        if (c.shape) root.SetAttribute("shape", YString::Literal(c.shape));
        effect.Load(root);
        EXPECT_DOUBLE_EQ(effect.Generator().GetValue(), c.expectValue);
        EXPECT_EQ(effect.Generator().GetEnvelopeDepth(), 0.0);
        // No "MIDIReset" child: the settings are the defaults.
        EXPECT_FALSE(effect.MIDIReset().Enabled);
    }
}
