#include "effect/YModulationPluginBase.h"

#include "foundation/YException.h"
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
