// YAudioPlugin's parameter index space and the ramps it interpolates across a block.
#include "YAudioPluginTestSupport.h"

#include "core/PluginParameter.h"
#include "core/YParameterAdapters.h"
#include "foundation/YException.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace YAudioPluginTestSupport;

namespace {

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

