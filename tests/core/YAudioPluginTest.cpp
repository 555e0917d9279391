#include "core/YAudioPlugin.h"

#include "core/PluginParameter.h"
#include "core/YParameterAdapters.h"
#include "effect/YMIDIResetProcessor.h"
#include "foundation/YException.h"
#include "platform/YPlatformFloatingPoint.h"
#include "platform/YPlatformTime.h"
#include "support/AllocationCounting.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A block of host parameters with plain values; records what the plug-in asks of it.
class FakeAdapter : public YAudioPlugin::AutomationAdapter {
public:
    enum class Failure { kNone, kFramework, kForeign };

    FakeAdapter(std::string name, int32_t width, bool interpolable = false)
        : values(static_cast<size_t>(width), 0.0), holds(static_cast<size_t>(width), false),
          m_name(std::move(name)), m_interpolable(interpolable) {
        SetIndexCount(width);
    }

    void SetParameter(int32_t local, double value, bool silent) override {
        Fail();
        values.at(static_cast<size_t>(local)) = value;
        writes.push_back({local, value, silent});
    }
    double GetParameter(int32_t local) override {
        Fail();
        return values.at(static_cast<size_t>(local));
    }
    void GetParameterName(YString& out, int32_t local) override {
        Fail();
        out = YString::FromUTF8(m_name + std::to_string(local));
    }
    void GetParameterValueName(YString& out, int32_t local) override {
        Fail();
        out = YString::FromUTF8(std::to_string(values.at(static_cast<size_t>(local))));
    }
    void GetParameterValueNameFrom01(YString& out, int32_t, double value) override {
        Fail();
        out = YString::FromUTF8(std::to_string(value));
    }
    double ParseParameterValueName(int32_t local, const YString& text) override {
        Fail();
        return YAudioPluginAutomationAdapter::ParseParameterValueName(local, text);
    }
    void GetParameterUnitsName(YString& out, int32_t) override {
        Fail();
        out = "ms";
    }
    int32_t GetParameterType(int32_t) override {
        Fail();
        return 2;
    }
    double GetParameterDefaultValue(int32_t) override {
        Fail();
        return 0.25;
    }
    bool IsInterpolable(int32_t) override { return m_interpolable; }
    void SetHold(int32_t local, bool on) override { holds.at(static_cast<size_t>(local)) = on; }

    struct Write {
        int32_t local;
        double value;
        bool silent;
    };

    Failure failure = Failure::kNone;
    std::vector<double> values;
    std::vector<bool> holds;
    std::vector<Write> writes;

private:
    void Fail() {
        if (failure == Failure::kFramework) YRaise("Could not acquire mutex.");
        if (failure == Failure::kForeign) throw std::runtime_error("adapter broke");
    }

    std::string m_name;
    bool m_interpolable;
};

// Doubles its input, so processed audio is told apart from passed-through audio.
class FakePlugin : public YAudioPlugin {
public:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        ++processCalls;
        subBlocks.push_back(frames);
        flushDuringProcess = YPlatformFlushDenormalsEnabled();
        if (watched != nullptr) watchedValues.push_back(watched->values[0]);
        if (watchedRecord != nullptr) recordValues.push_back(watchedRecord->EffectiveFloat());
        songPositions.push_back(HostSync().SongPosition);
        inputsSeen = inputs[0];
        for (int32_t slot = 0; slot < 2; ++slot) {
            if (inputs[slot] == nullptr || outputs[slot] == nullptr) continue;
            if (addsToOutput)
                for (int32_t i = 0; i < frames; ++i) outputs[slot][i] += 2.0f * inputs[slot][i];
            else
                for (int32_t i = 0; i < frames; ++i) outputs[slot][i] = 2.0f * inputs[slot][i];
        }
    }
    int32_t GetLatency() override { return latency; }
    bool AddsToOutput() override { return addsToOutput; }
    bool NeedsSeparateInputs() override { return separateInputs; }
    void ParametersChanged() override { ++parametersChanged; }
    void UpdateEditorControls(AutomationAdapter& adapter) override { refreshed.push_back(&adapter); }

    int32_t latency = 0;
    bool addsToOutput = false;
    bool separateInputs = false;
    int processCalls = 0;
    int parametersChanged = 0;
    bool flushDuringProcess = false;
    std::vector<int32_t> subBlocks;
    FakeAdapter* watched = nullptr;
    std::vector<double> watchedValues;
    PluginParameter* watchedRecord = nullptr;
    std::vector<double> recordValues;
    std::vector<double> songPositions;
    float* inputsSeen = nullptr;
    std::vector<YAudioPlugin::AutomationAdapter*> refreshed;
};

class FakeHost : public YAudioPluginAdapter {
public:
    void AutomateParameter(int32_t hostIndex, double value) override {
        automation.push_back({hostIndex, value});
    }
    void SendBypassAutomation(bool on) override { bypass.push_back(on); }
    void GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) override {
        midi.push_back({deltaFrames, bytes[0], bytes[1], bytes[2]});
    }
    void ReportLatency() override { ++latencyReports; }
    bool ChangeEditorSize(int32_t, int32_t) override { return true; }

    struct Automation {
        int32_t index;
        double value;
    };
    std::vector<Automation> automation;
    std::vector<bool> bypass;
    std::vector<std::vector<int32_t>> midi;
    int latencyReports = 0;
};

// Stereo in, stereo out: a main bus on slots 0 and 1 with room for the eight slots per bus.
struct StereoBlock {
    explicit StereoBlock(int32_t frames, float outputFill = 7.0f)
        : inL(frames), inR(frames), outL(frames, outputFill), outR(frames, outputFill) {
        for (int32_t i = 0; i < frames; ++i) {
            inL[static_cast<size_t>(i)] = 1.0f + i;
            inR[static_cast<size_t>(i)] = -1.0f - i;
        }
        inputs[0] = inL.data();
        inputs[1] = inR.data();
        outputs[0] = outL.data();
        outputs[1] = outR.data();
    }
    std::vector<float> inL, inR, outL, outR;
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
};

std::vector<std::string> g_reports;
void RecordReport(const YString& text) { g_reports.push_back(text.ToUTF8()); }

class ReportTest : public testing::Test {
protected:
    void SetUp() override {
        g_reports.clear();
        m_previous = YSetErrorReportHook(&RecordReport);
    }
    void TearDown() override { YSetErrorReportHook(m_previous); }

private:
    YErrorReportHook m_previous = nullptr;
};

FakeAdapter& Add(YAudioPlugin& plugin, const std::string& name, int32_t width, bool interpolable = false) {
    return static_cast<FakeAdapter&>(
        plugin.AddAutomationAdapter(std::make_unique<FakeAdapter>(name, width, interpolable)));
}

std::string Str(const YString& s) { return s.ToUTF8(); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Index space

TEST(YAudioPluginIndexSpace, AdaptersOfDifferentWidthsShareOneIndexSpace) {
    FakePlugin plugin;
    Add(plugin, "A", 1);
    Add(plugin, "B", 3);
    Add(plugin, "C", 2);
    plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("D", 2), 10000);

    EXPECT_EQ(plugin.GetParameterCount(), 10002);
    const struct {
        int32_t index;
        const char* name;
    } cases[] = {
        {0, "A0"}, {1, "B0"},  {2, "B1"},     {3, "B2"},     {4, "C0"},   {5, "C1"},
        {6, ""},   {9999, ""}, {10000, "D0"}, {10001, "D1"}, {10002, ""}, {-1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Str(plugin.GetParameterName(c.index)), c.name) << c.index;
    for (int32_t i = 0; i < plugin.AutomationAdapterCount(); ++i)
        EXPECT_EQ(plugin.GetAutomationAdapter(i)->Plugin(), &plugin);
}

TEST(YAudioPluginIndexSpace, BinarySearchTakesTheNearestAdapterAtOrBelow) {
    FakePlugin plugin;
    for (int32_t first : {5, 10, 20, 40, 41})
        plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("x", 1), first);
    const struct {
        int32_t index;
        int32_t number;
    } cases[] = {{-3, 0}, {0, 0},  {5, 0},  {9, 0},  {10, 1},  {19, 1},
                 {20, 2}, {39, 2}, {40, 3}, {41, 4}, {1000, 4}};
    for (const auto& c : cases) EXPECT_EQ(plugin.FindAutomationAdapterNumber(c.index), c.number) << c.index;

    FakePlugin empty;
    EXPECT_EQ(empty.FindAutomationAdapterNumber(0), -1);
}

TEST(YAudioPluginIndexSpace, OverlappingOrEmptyRangesAreRefused) {
    FakePlugin plugin;
    plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("A", 3), 10);
    EXPECT_THROW(plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("B", 1), 12), YException);
    EXPECT_THROW(plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("B", 3), 8), YException);
    EXPECT_THROW(plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("B", 0), 0), YException);
    EXPECT_THROW(plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("B", 1), -1), YException);
    EXPECT_THROW(plugin.AddAutomationAdapterAt(nullptr, 0), YException);
    EXPECT_EQ(plugin.AutomationAdapterCount(), 1);
    plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("B", 2), 13); // touching is fine
    plugin.AddAutomationAdapterAt(std::make_unique<FakeAdapter>("C", 2), 8);
    EXPECT_EQ(Str(plugin.GetParameterName(9)), "C1");
    EXPECT_EQ(Str(plugin.GetParameterName(14)), "B1");
}

TEST(YAudioPluginIndexSpace, EntryPointsReachTheAdapterWithTheLocalIndex) {
    FakePlugin plugin;
    Add(plugin, "A", 1);
    FakeAdapter& b = Add(plugin, "B", 3);
    plugin.SetParameter(2, 0.75);
    ASSERT_EQ(b.writes.size(), 1u);
    EXPECT_EQ(b.writes[0].local, 1);
    EXPECT_FALSE(b.writes[0].silent);
    EXPECT_DOUBLE_EQ(plugin.GetParameter(2), 0.75);
    EXPECT_EQ(Str(plugin.GetParameterValueName(2)), "0.750000");
    EXPECT_EQ(Str(plugin.GetParameterValueNameFrom01(3, 0.5)), "0.500000");
    EXPECT_DOUBLE_EQ(plugin.ParseParameterValueName(3, "0.3"), 0.3);
    EXPECT_EQ(Str(plugin.GetParameterUnitsName(1)), "ms");
    EXPECT_EQ(plugin.GetParameterType(1), 2);
    EXPECT_DOUBLE_EQ(plugin.GetParameterDefaultValue(1), 0.25);
    EXPECT_EQ(Str(plugin.GetParameterText(1)), "");
}

TEST(YAudioPluginIndexSpace, ParameterIDIsTheFullLabelOrTheName) {
    FakePlugin plugin;
    Add(plugin, "A", 1);
    FakeAdapter& b = Add(plugin, "B", 1);
    b.SetBaseLabel("Multi 1");
    EXPECT_EQ(Str(plugin.GetParameterID(0)), "A0");
    EXPECT_EQ(Str(plugin.GetParameterID(1)), "Multi 1");
}

TEST(YAudioPluginIndexSpace, SetIfChangedIgnoresDifferencesUpTo1e7) {
    FakePlugin plugin;
    FakeAdapter& a = Add(plugin, "A", 1);
    a.values[0] = 0.5;
    plugin.SetParameterIfChanged(0, 0.5 + 0.5e-7);
    EXPECT_TRUE(a.writes.empty());
    plugin.SetParameterIfChanged(0, 0.5 + 2e-7);
    ASSERT_EQ(a.writes.size(), 1u);
    EXPECT_DOUBLE_EQ(a.values[0], 0.5 + 2e-7);
}

TEST_F(ReportTest, YAudioPluginEntryPointsAnswerNeutrallyWithoutAdapters) {
    FakePlugin plugin;
    EXPECT_EQ(plugin.GetParameterCount(), 0);
    plugin.SetParameter(0, 0.5);
    plugin.SetParameterIfChanged(0, 0.5);
    EXPECT_EQ(plugin.GetParameter(0), 0.0);
    EXPECT_EQ(Str(plugin.GetParameterName(0)), "");
    EXPECT_EQ(Str(plugin.GetParameterID(0)), "");
    EXPECT_EQ(plugin.GetParameterType(0), 0);
    EXPECT_EQ(plugin.GetParameterDefaultValue(0), 0.0);
    EXPECT_EQ(plugin.ParseParameterValueName(0, "1"), 0.0);
    EXPECT_TRUE(g_reports.empty()); // a missing adapter is a framework error, not a crash
}

TEST_F(ReportTest, YAudioPluginFailingAdaptersGiveNeutralAnswersAndForeignOnesAreReported) {
    FakePlugin plugin;
    FakeAdapter& a = Add(plugin, "A", 1);
    a.values[0] = 0.5;
    for (FakeAdapter::Failure failure : {FakeAdapter::Failure::kFramework, FakeAdapter::Failure::kForeign}) {
        g_reports.clear();
        a.failure = failure;
        plugin.SetParameter(0, 0.9);
        EXPECT_EQ(plugin.GetParameter(0), 0.0);
        EXPECT_EQ(Str(plugin.GetParameterName(0)), "");
        EXPECT_EQ(Str(plugin.GetParameterValueName(0)), "");
        EXPECT_EQ(Str(plugin.GetParameterValueNameFrom01(0, 0.1)), "");
        EXPECT_EQ(plugin.ParseParameterValueName(0, "0.4"), 0.0);
        EXPECT_EQ(Str(plugin.GetParameterUnitsName(0)), "");
        EXPECT_EQ(plugin.GetParameterType(0), 0);
        EXPECT_EQ(plugin.GetParameterDefaultValue(0), 0.0);
        EXPECT_EQ(a.values[0], 0.5);
        if (failure == FakeAdapter::Failure::kFramework) {
            EXPECT_TRUE(g_reports.empty());
        } else {
            const std::vector<std::string> expected = {
                "SYSTEM EXCEPTION! YAudioPlugin::SetParameter",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameter",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameterName",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameterValueName",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameterValueNameFrom01",
                "SYSTEM EXCEPTION! YAudioPlugin::ParseParameterValueName",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameterUnitsName",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameterType",
                "SYSTEM EXCEPTION! YAudioPlugin::GetParameterDefaultValue",
            };
            EXPECT_EQ(g_reports, expected);
        }
    }
}

TEST(YAudioPluginIndexSpace, NonFiniteValuesAreNotWritten) {
    FakePlugin plugin;
    FakeAdapter& a = Add(plugin, "A", 1);
    plugin.SetParameter(0, std::nan(""));
    plugin.SetParameter(0, INFINITY);
    plugin.SetParameterAutomated(0, -INFINITY);
    EXPECT_TRUE(a.writes.empty());
    EXPECT_EQ(Str(plugin.GetParameterValueNameFrom01(0, std::nan(""))), "");
}

// ---------------------------------------------------------------------------------------------
// Interpolation

namespace {

// One interpolable parameter, blocks of 512 and an interpolation step of 64.
struct InterpolationFixture {
    InterpolationFixture() : adapter(Add(plugin, "I", 1, true)) {
        plugin.SetMaxSubBlockLength(4096);
        plugin.SetInterpolationStep(64);
        plugin.watched = &adapter;
    }
    void Run(int32_t frames) {
        StereoBlock block(frames);
        plugin.ProcessAudio(block.inputs, block.outputs, frames, true);
    }
    FakePlugin plugin;
    FakeAdapter& adapter;
};

} // namespace

TEST(YAudioPluginInterpolation, AJumpBetweenBlocksBecomesEightEqualRampsEndingAtTheTarget) {
    InterpolationFixture f;
    f.Run(512); // the first block only takes the starting point
    EXPECT_EQ(f.plugin.subBlocks, std::vector<int32_t>({512}));
    f.plugin.subBlocks.clear();
    f.plugin.watchedValues.clear();
    f.plugin.parametersChanged = 0;

    f.plugin.SetParameter(0, 1.0);
    f.adapter.writes.clear();
    f.Run(512);
    EXPECT_EQ(f.plugin.subBlocks, std::vector<int32_t>(8, 64));
    ASSERT_EQ(f.plugin.watchedValues.size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(f.plugin.watchedValues[i], i * 0.125) << i;
    EXPECT_EQ(f.adapter.values[0], 1.0); // exactly the target
    EXPECT_FALSE(f.adapter.holds[0]);
    for (const FakeAdapter::Write& w : f.adapter.writes) EXPECT_TRUE(w.silent);
    EXPECT_EQ(f.plugin.parametersChanged, 1 + 7 + 1); // prepare, seven steps, finish

    // Holding still: one undivided block.
    f.plugin.subBlocks.clear();
    f.Run(512);
    EXPECT_EQ(f.plugin.subBlocks, std::vector<int32_t>({512}));
}

TEST(YAudioPluginInterpolation, ChangesBelow1e5AreNotRamped) {
    InterpolationFixture f;
    f.adapter.values[0] = 0.5;
    f.Run(512);
    f.plugin.subBlocks.clear();
    f.plugin.SetParameter(0, 0.5 + 0.9e-5);
    f.Run(512);
    EXPECT_EQ(f.plugin.subBlocks, std::vector<int32_t>({512}));
    f.plugin.SetParameter(0, 0.5 + 2e-5);
    f.plugin.subBlocks.clear();
    f.Run(512);
    EXPECT_EQ(f.plugin.subBlocks.size(), 8u);
}

TEST(YAudioPluginInterpolation, AShortBlockAtTheNewValueDoesNotLeaveARampBackBehind) {
    InterpolationFixture f;
    f.Run(512);
    f.plugin.SetParameter(0, 1.0);
    f.Run(32); // shorter than the step: runs at 1.0 directly
    f.plugin.subBlocks.clear();
    f.plugin.watchedValues.clear();
    f.Run(512);
    EXPECT_EQ(f.plugin.subBlocks, std::vector<int32_t>({512}));
    EXPECT_EQ(f.plugin.watchedValues, std::vector<double>({1.0}));
}

TEST(YAudioPluginInterpolation, ARealFloatRecordRampsWhileTheHostStillReadsItsTarget) {
    FakePlugin plugin;
    PluginParameter record;
    record.DefineFloat("gain", "Gain", 0.0, 2.0, 0.0);
    record.SetFlagA(PluginParameter::kInterpolable, true);
    ParameterAdapterSetup setup;
    setup.Record = &record;
    plugin.AddAutomationAdapter(CreateParameterAdapter(setup));
    plugin.SetMaxSubBlockLength(4096);
    plugin.SetInterpolationStep(128);
    plugin.watchedRecord = &record;

    StereoBlock first(512);
    plugin.ProcessAudio(first.inputs, first.outputs, 512, true);
    plugin.SetParameter(0, 1.0);
    plugin.recordValues.clear();
    StereoBlock second(512);
    plugin.ProcessAudio(second.inputs, second.outputs, 512, true);
    EXPECT_EQ(plugin.recordValues, std::vector<double>({0.0, 0.5, 1.0, 1.5}));
    EXPECT_EQ(record.Float.Value, 2.0);
    EXPECT_FALSE(record.IsHeld());
    EXPECT_DOUBLE_EQ(plugin.GetParameter(0), 1.0);
}

TEST(YAudioPluginInterpolation, SongPositionAdvancesBetweenSubBlocks) {
    FakePlugin plugin;
    plugin.SetUsesHostTime(true);
    plugin.SetSampleRate(48000.0);
    plugin.HostSync().Tempo = 120.0;
    plugin.HostSync().SongPosition = 4.0;
    plugin.SetMaxSubBlockLength(256);
    StereoBlock block(1000);
    plugin.ProcessAudio(block.inputs, block.outputs, 1000, true);
    EXPECT_EQ(plugin.subBlocks, std::vector<int32_t>({256, 256, 256, 232}));
    ASSERT_EQ(plugin.songPositions.size(), 4u);
    const double perSample = 120.0 / (48000.0 * 60.0);
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(plugin.songPositions[i], 4.0 + 256.0 * i * perSample, 1e-12);
}

// ---------------------------------------------------------------------------------------------
// Processing

TEST(YAudioPluginProcessing, ReplacingAndAccumulatingCalls) {
    FakePlugin plugin;
    StereoBlock replacing(64);
    plugin.ProcessAudio(replacing.inputs, replacing.outputs, 64, true);
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_FLOAT_EQ(replacing.outL[i], 2.0f * (1.0f + i));
        EXPECT_FLOAT_EQ(replacing.outR[i], -2.0f * (1.0f + i));
    }
    StereoBlock accumulating(64, 7.0f);
    plugin.ProcessAudio(accumulating.inputs, accumulating.outputs, 64, false);
    for (size_t i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(accumulating.outL[i], 7.0f + 2.0f * (1.0f + i));

    plugin.addsToOutput = true; // the effect adds by itself: replacing clears first
    StereoBlock adding(64, 7.0f);
    plugin.ProcessAudio(adding.inputs, adding.outputs, 64, true);
    for (size_t i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(adding.outL[i], 2.0f * (1.0f + i));
    StereoBlock addingAccumulate(64, 7.0f);
    plugin.ProcessAudio(addingAccumulate.inputs, addingAccumulate.outputs, 64, false);
    for (size_t i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(addingAccumulate.outL[i], 7.0f + 2.0f * (1.0f + i));
}

TEST(YAudioPluginProcessing, InPlaceBuffersAreCopiedWhenTheEffectNeedsSeparateInputsOrAdds) {
    for (bool adds : {false, true}) {
        FakePlugin plugin;
        plugin.separateInputs = !adds;
        plugin.addsToOutput = adds;
        StereoBlock block(32);
        block.outputs[0] = block.inputs[0];
        block.outputs[1] = block.inputs[1];
        plugin.ProcessAudio(block.inputs, block.outputs, 32, true);
        EXPECT_NE(plugin.inputsSeen, block.inL.data());
        for (size_t i = 0; i < 32; ++i) EXPECT_FLOAT_EQ(block.inL[i], 2.0f * (1.0f + i)) << adds;
    }
}

TEST(YAudioPluginProcessing, NullFirstOutputZeroFramesAndAbsurdLengthsTouchNothing) {
    FakePlugin plugin;
    StereoBlock block(16);
    block.outputs[0] = nullptr;
    plugin.ProcessAudio(block.inputs, block.outputs, 16, true);
    EXPECT_EQ(block.outR, std::vector<float>(16, 7.0f));
    EXPECT_EQ(block.inL[0], 1.0f); // not even the denormal guard

    StereoBlock other(16);
    for (int32_t frames : {0, -5, YAudioPlugin::kMaxFrames + 1}) {
        plugin.ProcessAudio(other.inputs, other.outputs, frames, true);
        EXPECT_EQ(other.outL, std::vector<float>(16, 7.0f)) << frames;
    }
    plugin.ProcessAudio(other.inputs, nullptr, 16, true);
    EXPECT_EQ(plugin.processCalls, 0);
}

TEST(YAudioPluginProcessing, MissingInputsReadAsSilence) {
    FakePlugin plugin;
    StereoBlock block(16);
    plugin.ProcessAudio(nullptr, block.outputs, 16, true);
    EXPECT_EQ(plugin.processCalls, 1);
    for (float sample : block.outL) EXPECT_NEAR(sample, 0.0f, 1e-12f);
}

TEST(YAudioPluginProcessing, BlocksLongerThanTheBuffersAreProcessedInPieces) {
    FakePlugin plugin;
    const int32_t frames = YAudioPlugin::kDefaultBlockCapacity * 2 + 100;
    StereoBlock block(frames, 7.0f);
    block.inputs[1] = nullptr; // the right channel comes from a scratch buffer
    plugin.ProcessAudio(block.inputs, block.outputs, frames, false);
    for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
        ASSERT_FLOAT_EQ(block.outL[i], 7.0f + 2.0f * (1.0f + i)) << i;
        ASSERT_FLOAT_EQ(block.outR[i], 7.0f + 2.0f * (1.0f + i)) << i; // right repeats left
    }
}

TEST(YAudioPluginProcessing, SampleRateBlockSizeAndLayoutRefuseAbsurdValues) {
    FakePlugin plugin;
    for (double rate : {0.0, -44100.0, std::nan(""), double(INFINITY)})
        EXPECT_FALSE(plugin.SetSampleRate(rate)) << rate;
    EXPECT_EQ(plugin.SampleRate(), 44100.0);
    EXPECT_TRUE(plugin.SetSampleRate(96000.0));
    EXPECT_EQ(plugin.SampleRate(), 96000.0);

    EXPECT_FALSE(plugin.SetMaximumBlockSize(0));
    EXPECT_FALSE(plugin.SetMaximumBlockSize(YAudioPlugin::kMaxFrames + 1));
    EXPECT_TRUE(plugin.SetMaximumBlockSize(YAudioPlugin::kMaxFrames));
    EXPECT_EQ(plugin.BlockCapacity(), YAudioPlugin::kMaxChunkFrames);

    EXPECT_FALSE(plugin.SetChannelCounts(-1, 2));
    EXPECT_FALSE(plugin.SetChannelCounts(2, YAudioPlugin::kMaxSlots + 1));
    EXPECT_FALSE(plugin.SetChannelsPerBus(0));
    EXPECT_FALSE(plugin.SetChannelsPerBus(9));
    EXPECT_FALSE(plugin.SetPreferredChannelsPerBus(-2));
    EXPECT_FALSE(plugin.SetMaxChannelsPerBus(0, 2));
    EXPECT_EQ(plugin.GetInputBusCount(), 1);
    EXPECT_EQ(plugin.GetOutputBusCount(), 1);

    EXPECT_TRUE(plugin.SetChannelCounts(4, 2)); // main and side chain in, one bus out
    EXPECT_EQ(plugin.GetInputBusCount(), 2);
    EXPECT_EQ(plugin.GetOutputBusCount(), 1);
    EXPECT_TRUE(plugin.SetChannelCounts(0, 2));
    EXPECT_EQ(plugin.GetInputChannelsPerBus(), 0);
    EXPECT_EQ(plugin.GetInputBusCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// FixAudioBuffers

TEST(YAudioPluginFixAudioBuffers, CompletesEveryBusAccordingToWhatTheHostGives) {
    FakePlugin plugin;
    std::vector<float> a(8, 3.0f), b(8, 4.0f);
    {
        // Bus without a first pointer: scratch everywhere; inputs are silent.
        float* slots[YAudioPlugin::kMaxSlots] = {};
        ASSERT_TRUE(plugin.FixAudioBuffers(slots, 2, 1, true, 8));
        ASSERT_NE(slots[0], nullptr);
        ASSERT_NE(slots[1], nullptr);
        EXPECT_NE(slots[0], slots[1]);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(slots[1][i], 0.0f);
        EXPECT_EQ(slots[2], nullptr); // beyond the plug-in's channels
    }
    {
        // Enough host channels, a gap after the first: the gap repeats the channel before.
        float* slots[YAudioPlugin::kMaxSlots] = {a.data(), nullptr};
        plugin.FixAudioBuffers(slots, 2, 1, false, 8);
        EXPECT_EQ(slots[1], a.data());
    }
    {
        // Mono host input on two channels: both buses get their own copy of their own channel.
        float* slots[YAudioPlugin::kMaxSlots] = {};
        slots[0] = a.data();
        slots[8] = b.data();
        plugin.FixAudioBuffers(slots, 1, 2, true, 8);
        ASSERT_NE(slots[1], nullptr);
        ASSERT_NE(slots[9], nullptr);
        EXPECT_NE(slots[1], slots[9]);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(slots[1][i], 3.0f);
            EXPECT_EQ(slots[9][i], 4.0f);
        }
    }
    {
        // Host count 0: nothing happens; more frames than the buffers hold: refused.
        float* slots[YAudioPlugin::kMaxSlots] = {};
        plugin.FixAudioBuffers(slots, 0, 1, true, 8);
        EXPECT_EQ(slots[0], nullptr);
        EXPECT_FALSE(plugin.FixAudioBuffers(slots, 2, 1, true, plugin.BlockCapacity() + 1));
        EXPECT_EQ(slots[0], nullptr);
    }
}

TEST(YAudioPluginFixAudioBuffers, MonoHostInputFeedsBothProcessedChannels) {
    FakePlugin plugin;
    plugin.SetChannelCounts(1, 2);
    plugin.SetMaxChannelsPerBus(1, 2);
    StereoBlock block(16);
    block.inputs[1] = nullptr;
    plugin.ProcessAudio(block.inputs, block.outputs, 16, true);
    for (size_t i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(block.outR[i], 2.0f * (1.0f + i));
}

// ---------------------------------------------------------------------------------------------
// Bypass

TEST(YAudioPluginBypass, OutputIsTheInputDelayedByTheLatencyAcrossBlocks) {
    for (bool inPlace : {false, true}) {
        FakePlugin plugin;
        plugin.latency = 5;
        plugin.InitProcessing();
        plugin.SetBypass(true);
        std::vector<float> heard;
        float next = 1.0f;
        for (int32_t frames : {3, 16, 7}) {
            StereoBlock block(frames);
            for (float& s : block.inL) s = next++;
            if (inPlace) block.outputs[0] = block.inputs[0];
            plugin.ProcessAudio(block.inputs, block.outputs, frames, true);
            const std::vector<float>& out = inPlace ? block.inL : block.outL;
            heard.insert(heard.end(), out.begin(), out.end());
        }
        ASSERT_EQ(heard.size(), 26u);
        for (size_t i = 0; i < heard.size(); ++i) {
            const float expected = i < 5 ? 0.0f : static_cast<float>(i - 4);
            EXPECT_NEAR(heard[i], expected, 1e-6f) << i << " in place " << inPlace;
        }
        EXPECT_EQ(plugin.processCalls, 0);
    }
}

TEST(YAudioPluginBypass, WithoutLatencyCopiesOrAddsAndForgetsEarlierBypassAudio) {
    FakePlugin plugin;
    plugin.SetBypass(true);
    StereoBlock copy(8);
    plugin.ProcessAudio(copy.inputs, copy.outputs, 8, true);
    for (size_t i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(copy.outL[i], copy.inL[i]);
    StereoBlock add(8, 7.0f);
    plugin.ProcessAudio(add.inputs, add.outputs, 8, false);
    for (size_t i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(add.outR[i], 7.0f + add.inR[i]);

    plugin.latency = 4;
    plugin.InitProcessing();
    StereoBlock first(8);
    plugin.ProcessAudio(first.inputs, first.outputs, 8, true); // fills the line
    plugin.SetBypass(false);
    plugin.ProcessAudio(first.inputs, first.outputs, 8, true);
    plugin.SetBypass(true);
    StereoBlock again(8);
    plugin.ProcessAudio(again.inputs, again.outputs, 8, true);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(again.outL[i], 0.0f) << i; // nothing from the old bypass
    EXPECT_FLOAT_EQ(again.outL[4], again.inL[0]);
}

TEST(YAudioPluginBypass, SwitchingFromThePlugInReachesTheHost) {
    FakePlugin plugin;
    FakeHost host;
    plugin.SetBypass(true, true); // no host yet: nothing to tell
    plugin.SetHostAdapter(&host);
    plugin.SetBypass(false);
    plugin.SetBypass(true, true);
    EXPECT_EQ(host.bypass, std::vector<bool>({true}));
    EXPECT_TRUE(plugin.IsBypassed());
}

// ---------------------------------------------------------------------------------------------
// Floating-point mode and allocation

TEST(YAudioPluginProcessing, FlushesDenormalsWhileProcessingAndRestoresTheCallersMode) {
    const bool supported = [] {
        const uint32_t mode = YPlatformEnableFlushDenormals();
        const bool enabled = YPlatformFlushDenormalsEnabled();
        YPlatformSetFloatingPointMode(mode);
        return enabled;
    }();
    FakePlugin plugin;
    const uint32_t original = YPlatformDisableFlushDenormals();
    const uint32_t callers = YPlatformGetFloatingPointMode();
    StereoBlock block(16);
    plugin.ProcessAudio(block.inputs, block.outputs, 16, true);
    const uint32_t after = YPlatformGetFloatingPointMode();
    YPlatformSetFloatingPointMode(original);
    EXPECT_EQ(plugin.flushDuringProcess, supported);
    EXPECT_EQ(after, callers);
}

TEST(YAudioPluginProcessing, TheProcessingPathAllocatesNothing) {
    FakePlugin plugin;
    FakeAdapter& ramp = Add(plugin, "I", 1, true);
    plugin.SetInterpolationStep(32);
    plugin.latency = 16;
    plugin.InitProcessing();
    FakeHost host;
    plugin.SetHostAdapter(&host);
    host.automation.reserve(64);
    const uint8_t noteOn[4] = {0x90, 60, 100, 0};
    const uint8_t noteOff[4] = {0x80, 60, 0, 0};
    const uint8_t controller[4] = {0xB0, 7, 64, 0};
    StereoBlock block(YAudioPlugin::kDefaultBlockCapacity + 300);
    const int32_t frames = static_cast<int32_t>(block.inL.size());
    plugin.ProcessAudio(block.inputs, block.outputs, frames, true); // warm up
    plugin.subBlocks.reserve(4096);
    plugin.watchedValues.reserve(4096);
    plugin.songPositions.reserve(4096);
    plugin.watched = &ramp;
    ramp.writes.reserve(4096);

    const uint64_t before = AllocationCounting::Count();
    for (int round = 0; round < 4; ++round) {
        plugin.ProcessMIDIEvent(0, noteOn);
        plugin.ProcessMIDIEvent(3, controller);
        plugin.ProcessMIDIEvent(9, noteOff);
        plugin.SetParameter(0, round % 2 == 0 ? 1.0 : 0.0);
        plugin.NeedUpdateEditor(&ramp);
        plugin.SetBypass(round == 2);
        plugin.ProcessAudio(block.inputs, block.outputs, frames, round % 2 == 0);
    }
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_GT(plugin.subBlocks.size(), 4u); // the ramps really ran
}

// ---------------------------------------------------------------------------------------------
// Automation out and the host link

TEST(YAudioPluginAutomation, AutomationOutReachesTheHostAtTheHostIndex) {
    FakePlugin plugin;
    FakeHost host;
    Add(plugin, "A", 2);
    FakeAdapter& b = Add(plugin, "B", 3);
    b.values = {0.1, 0.2, 0.3};
    b.SendAutomation(0); // no host yet
    EXPECT_TRUE(host.automation.empty());
    plugin.SetHostAdapter(&host);

    b.SendAutomationValueWithChange(1, 0.0);
    b.SendAllAutomation();
    plugin.SetParameterAutomated(4, 0.75);
    ASSERT_EQ(host.automation.size(), 6u);
    EXPECT_EQ(host.automation[0].index, 3);
    EXPECT_EQ(host.automation[0].value, 1e-10);
    EXPECT_EQ(host.automation[1].value, 0.0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(host.automation[2 + i].index, 2 + i);
        EXPECT_DOUBLE_EQ(host.automation[2 + i].value, 0.1 * (i + 1));
    }
    EXPECT_EQ(host.automation[5].index, 4);
    EXPECT_EQ(host.automation[5].value, 0.75);
    EXPECT_EQ(b.values[2], 0.75);
}

TEST(YAudioPluginAutomation, MIDIOutputAndLatencyGoThroughTheHostCallback) {
    FakePlugin plugin;
    FakeHost host;
    const uint8_t bytes[4] = {0x91, 64, 90, 0};
    plugin.GenerateMIDIEvent(5, bytes); // no host: dropped
    plugin.ReportLatency();
    plugin.SetHostAdapter(&host);
    plugin.GenerateMIDIEvent(5, bytes);
    plugin.GenerateMIDIEvent(6, nullptr);
    plugin.ReportLatency();
    ASSERT_EQ(host.midi.size(), 1u);
    EXPECT_EQ(host.midi[0], std::vector<int32_t>({5, 0x91, 64, 90}));
    EXPECT_EQ(host.latencyReports, 1);
}

// ---------------------------------------------------------------------------------------------
// MIDI entry

namespace {

class CountingResetProcessor : public YMIDIResetProcessor {
public:
    void Reset() override { ++resets; }
    int resets = 0;
};

} // namespace

TEST(YAudioPluginMIDI, HostNotesReachTheEffectsResetProcessorWithTheirCounts) {
    FakePlugin plugin;
    CountingResetProcessor reset;
    reset.Enabled = true;
    reset.NoteOnOnlyFirst = true;
    ASSERT_TRUE(plugin.AddMIDIListener(&reset));
    const uint8_t c4[4] = {0x90, 60, 100, 0}, e4[4] = {0x90, 64, 100, 0};
    const uint8_t c4off[4] = {0x80, 60, 0, 0}, e4off[4] = {0x90, 64, 0, 0};
    plugin.ProcessMIDIEvent(0, c4);
    EXPECT_EQ(reset.resets, 1);
    plugin.ProcessMIDIEvent(0, e4); // second key of a chord: not the first note
    EXPECT_EQ(reset.resets, 1);
    EXPECT_EQ(plugin.HeldNotes(0), 2);
    plugin.ProcessMIDIEvent(0, c4off);
    plugin.ProcessMIDIEvent(0, e4off); // note-on with velocity 0 releases
    EXPECT_EQ(plugin.HeldNotes(0), 0);
    plugin.ProcessMIDIEvent(0, c4);
    EXPECT_EQ(reset.resets, 2);

    plugin.ProcessNote(0, 70, 0.5, true); // the decoded note entry
    EXPECT_EQ(plugin.NoteCount(0, 70), 1);
    plugin.ProcessMIDIEvent(0, nullptr);
    plugin.ProcessNote(99, 70, 0.5, true);
    EXPECT_EQ(plugin.HeldNotes(0), 2);
}

// ---------------------------------------------------------------------------------------------
// Editor updates

TEST(YAudioPluginEditorUpdates, AnAdapterIsListedOnceAndForeignOnesNotAtAll) {
    FakePlugin plugin;
    FakeAdapter& a = Add(plugin, "A", 1);
    FakeAdapter& b = Add(plugin, "B", 1);
    FakeAdapter stray("S", 1);
    plugin.NeedUpdateEditor(&b);
    plugin.NeedUpdateEditor(&b);
    b.RequestEditorUpdate();
    plugin.NeedUpdateEditor(&stray);
    plugin.NeedUpdateEditor(nullptr);
    EXPECT_EQ(plugin.PendingEditorUpdates(), 1);
    a.RequestEditorUpdate();
    YAudioPlugin::AutomationAdapter* taken[4] = {};
    EXPECT_EQ(plugin.TakeEditorUpdates(taken, 4), 2);
    EXPECT_EQ(taken[0], &a);
    EXPECT_EQ(taken[1], &b);
    EXPECT_EQ(plugin.PendingEditorUpdates(), 0);
    EXPECT_EQ(plugin.TakeEditorUpdates(taken, 4), 0);

    a.RequestEditorUpdate();
    plugin.HandleEditorUpdateRequest();
    EXPECT_EQ(plugin.refreshed, std::vector<YAudioPlugin::AutomationAdapter*>({&a}));
    EXPECT_EQ(plugin.PendingEditorUpdates(), 0);
}

// ---------------------------------------------------------------------------------------------
// Threads

namespace {

class CountingQueue : public YGUIRequestQueue {
public:
    void PostEditorUpdateRequest(YAudioPlugin&) override { posts.fetch_add(1); }
    std::atomic<int> posts{0};
};

bool WaitFor(const std::function<bool()>& condition, uint32_t timeoutMs = 3000) {
    const uint32_t start = YPlatformTickCount();
    while (!condition()) {
        if (YPlatformTickCount() - start > timeoutMs) return false;
        YPlatformSleep(5);
    }
    return true;
}

// Holds the plug-in's processing lock on another thread until released.
class LockHolder {
public:
    explicit LockHolder(YLock& lock)
        : m_thread([this, &lock] {
              lock.Lock(YSynchronizer::kWaitInfinite);
              m_held.store(true);
              while (!m_release.load()) YPlatformSleep(1);
              lock.Unlock();
          }) {
        while (!m_held.load()) YPlatformSleep(1);
    }
    ~LockHolder() {
        m_release.store(true);
        m_thread.join();
    }

private:
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_release{false};
    std::thread m_thread;
};

} // namespace

TEST(YAudioPluginThreading, ARequestIsPostedWhileAdaptersWaitAndOnlyOneAtATime) {
    CountingQueue queue;
    {
        FakePlugin plugin;
        FakeAdapter& a = Add(plugin, "A", 1);
        plugin.SetGUIRequestQueue(&queue);
        YPlatformSleep(250);
        EXPECT_EQ(queue.posts.load(), 0); // nothing waits, nothing is posted

        a.RequestEditorUpdate();
        ASSERT_TRUE(WaitFor([&] { return queue.posts.load() == 1; }));
        YPlatformSleep(250); // several rounds of the thread
        EXPECT_EQ(queue.posts.load(), 1);

        plugin.HandleEditorUpdateRequest();
        EXPECT_EQ(plugin.refreshed.size(), 1u);
        a.RequestEditorUpdate();
        ASSERT_TRUE(WaitFor([&] { return queue.posts.load() == 2; }));
    } // the destructor stops the thread
    YPlatformSleep(150);
    EXPECT_EQ(queue.posts.load(), 2);
}

TEST(YAudioPluginThreading, ABlockArrivingWhileTheLockIsHeldPassesTheInputThrough) {
    FakePlugin plugin;
    StereoBlock warm(8);
    plugin.ProcessAudio(warm.inputs, warm.outputs, 8, true);
    plugin.processCalls = 0;
    const uint32_t original = YPlatformDisableFlushDenormals();
    const uint32_t callers = YPlatformGetFloatingPointMode();
    {
        LockHolder holder(plugin.ProcessingLock());
        StereoBlock replacing(32, 7.0f);
        plugin.ProcessAudio(replacing.inputs, replacing.outputs, 32, true);
        EXPECT_EQ(replacing.outL, replacing.inL);
        EXPECT_EQ(replacing.outR, replacing.inR);

        StereoBlock accumulating(32, 7.0f);
        plugin.ProcessAudio(accumulating.inputs, accumulating.outputs, 32, false);
        EXPECT_EQ(accumulating.outL, std::vector<float>(32, 7.0f));

        StereoBlock mono(32, 7.0f); // the host's second input is missing
        mono.inputs[1] = nullptr;
        plugin.ProcessAudio(mono.inputs, mono.outputs, 32, true);
        EXPECT_EQ(mono.outR, mono.inL);
    }
    EXPECT_EQ(YPlatformGetFloatingPointMode(), callers);
    YPlatformSetFloatingPointMode(original);
    EXPECT_EQ(plugin.processCalls, 0);

    StereoBlock after(32);
    plugin.ProcessAudio(after.inputs, after.outputs, 32, true);
    EXPECT_EQ(plugin.processCalls, 1);
}

TEST(YAudioPluginThreading, ParameterWritesFromAnotherThreadWhileProcessing) {
    FakePlugin plugin;
    Add(plugin, "I", 1, true);
    plugin.SetInterpolationStep(16);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) {
            plugin.SetParameter(0, (i % 10) / 10.0);
            (void)plugin.GetParameterValueName(0);
        }
    });
    StereoBlock block(128);
    for (int i = 0; i < 200; ++i) plugin.ProcessAudio(block.inputs, block.outputs, 128, true);
    stop.store(true);
    writer.join();
    EXPECT_GE(plugin.processCalls, 200);
}
