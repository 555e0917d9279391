#include "core/YMultiParameter.h"

#include "ParameterAccessFakes.h"
#include "core/YStorer.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YXMLItem.h"
#include "support/AllocationCounting.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

YMultiParameterTarget Target(const char* name, int32_t mode, double value, double range, double maxValue = 1.0) {
    YMultiParameterTarget target;
    target.ParameterName = YString::Literal(name);
    target.Range.Mode = mode;
    target.Range.Value = value;
    target.Range.Range = range;
    target.Range.MaxValue = maxValue;
    return target;
}

class MultiParameterTest : public ::testing::Test {
protected:
    MultiParameterTest() : params({"Depth", "Feedback", "Rate", "Mix"}) {}

    FakeParameters params;
    YMultiParameter multi;
};

TEST_F(MultiParameterTest, NormalModeDrivesEachEnabledTargetThroughItsOwnRange) {
    multi.Targets.push_back(Target("Depth", kRangeUpOnly, 0.1, 0.5));
    multi.Targets.push_back(Target("Feedback", kRangeInterval, 0.2, 1.0, 0.8));
    multi.Targets.back().Range.Invert = true;
    multi.Targets.push_back(Target("Rate", kRangeUpAndDown, 0.5, 0.5));
    multi.Targets.back().ParameterEnabled = false;
    multi.Targets.push_back(Target("Gone", kRangeUpOnly, 0.0, 1.0));
    multi.Resolve(params);
    EXPECT_EQ(multi.Targets[3].ParameterIndex, -1);

    multi.SetHostValue(1.0, params);
    EXPECT_DOUBLE_EQ(params.Value(0), 0.6);
    EXPECT_DOUBLE_EQ(params.Value(1), 0.2);
    ASSERT_EQ(params.Writes().size(), 2u); // disabled and unresolved targets are not written
    for (const auto& write : params.Writes()) EXPECT_FALSE(write.Automated);
    multi.SetHostValue(-3.0, params); // limited to 0
    EXPECT_EQ(multi.Value(), 0.0);
    EXPECT_DOUBLE_EQ(params.Value(0), 0.1);
    EXPECT_DOUBLE_EQ(params.Value(1), 0.8);
}

TEST_F(MultiParameterTest, UseFirstRangeTakesEveryRangeFieldFromTheFirstTarget) {
    multi.Targets.push_back(Target("Depth", kRangeInterval, 0.2, 1.0, 0.8));
    multi.Targets[0].Range.Invert = true;
    multi.Targets.push_back(Target("Feedback", kRangeUpOnly, 0.0, 1.0));
    multi.Targets.back().UseFirstRange = true;
    multi.Targets.push_back(Target("Rate", kRangeUpOnly, 0.0, 1.0));
    for (const double p : {0.0, 0.3, 1.0}) {
        EXPECT_DOUBLE_EQ(multi.TargetValue(1, p), multi.TargetValue(0, p)) << p;
        EXPECT_DOUBLE_EQ(multi.TargetValue(2, p), p) << p;
    }
    EXPECT_DOUBLE_EQ(multi.TargetValue(1, 0.0), 0.8);
}

// --- Switch and Trigger movements: the value is a function of elapsed frames only ---

struct TimingCase {
    double rate;
    int32_t block;
};
const TimingCase kTimings[] = {{44100.0, 64}, {44100.0, 1000}, {96000.0, 37}, {96000.0, 512}};

// Advances in host-sized pieces up to the moment t (seconds from the start).
void RunTo(YMultiParameter& multi, FakeParameters& params, int64_t& elapsed, double t, int32_t block) {
    const auto target = static_cast<int64_t>(std::llround(t * multi.SampleRate()));
    while (elapsed < target) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(block, target - elapsed));
        multi.Advance(n, params);
        elapsed += n;
    }
}

TEST_F(MultiParameterTest, SwitchRampTakesSwitchTimeAtAnyRateAndBlockSize) {
    for (const TimingCase& c : kTimings) {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz, blocks of " << c.block);
        YMultiParameter m;
        m.Mode = kMultiParameterSwitch;
        m.SwitchTime = 0.5;
        m.SetSampleRate(c.rate);
        m.Targets.push_back(Target("Mix", kRangeUpOnly, 0.0, 1.0));
        m.Resolve(params);
        m.SetHostValue(0.0, params); // released: falls from the initial 0.5 to 0, then rests
        EXPECT_TRUE(m.NeedsFineSteps());
        m.Advance(static_cast<int32_t>(c.rate), params);
        EXPECT_EQ(m.Value(), 0.0);
        EXPECT_FALSE(m.NeedsFineSteps());
        int64_t elapsed = 0;
        m.SetHostValue(1.0, params); // press
        EXPECT_TRUE(m.NeedsFineSteps());
        const struct {
            double t, value;
        } checkpoints[] = {{0.1, 0.2}, {0.25, 0.5}, {0.5, 1.0}, {0.6, 1.0}};
        for (const auto& point : checkpoints) {
            RunTo(m, params, elapsed, point.t, c.block);
            EXPECT_NEAR(m.Value(), point.value, 1e-12) << "at " << point.t << " s";
            EXPECT_NEAR(params.Value(3), point.value, 1e-12);
        }
        EXPECT_FALSE(m.NeedsFineSteps());
        // Released at the top, pressed again half-way down: the movement turns where it is.
        m.SetHostValue(0.0, params);
        RunTo(m, params, elapsed, 0.85, c.block);
        EXPECT_NEAR(m.Value(), 0.5, 1e-12);
        m.SetHostValue(1.0, params);
        RunTo(m, params, elapsed, 0.95, c.block);
        EXPECT_NEAR(m.Value(), 0.7, 1e-12);
        m.SetHostValue(0.0, params);
        RunTo(m, params, elapsed, 1.5, c.block);
        EXPECT_EQ(m.Value(), 0.0);
        EXPECT_FALSE(m.NeedsFineSteps());
    }
}

TEST_F(MultiParameterTest, TriggerRunsUpAndDownOncePerPress) {
    for (const TimingCase& c : kTimings) {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz, blocks of " << c.block);
        YMultiParameter m;
        m.SetHostValue(0.0, params); // from rest at 0
        m.Mode = kMultiParameterTrigger;
        m.SwitchTime = 0.2;
        m.SetSampleRate(c.rate);
        EXPECT_FALSE(m.NeedsFineSteps());
        int64_t elapsed = 0;
        m.SetHostValue(1.0, params);
        RunTo(m, params, elapsed, 0.05, c.block);
        m.SetHostValue(0.0, params); // releasing changes nothing
        const struct {
            double t, value;
        } checkpoints[] = {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.5}, {0.4, 0.0}, {0.6, 0.0}};
        for (const auto& point : checkpoints) {
            RunTo(m, params, elapsed, point.t, c.block);
            EXPECT_NEAR(m.Value(), point.value, 1e-12) << "at " << point.t << " s";
        }
        EXPECT_FALSE(m.NeedsFineSteps());
        // Held down, it does not run again; only a new press does.
        m.SetHostValue(1.0, params);
        m.SetHostValue(1.0, params);
        RunTo(m, params, elapsed, 0.7, c.block);
        EXPECT_NEAR(m.Value(), 0.5, 1e-12);
    }
}

TEST_F(MultiParameterTest, ZeroSwitchTimeJumpsAndNormalModeNeverMoves) {
    multi.Mode = kMultiParameterSwitch;
    multi.SwitchTime = 0.0;
    multi.SetHostValue(1.0, params);
    multi.Advance(1, params);
    EXPECT_EQ(multi.Value(), 1.0);
    EXPECT_FALSE(multi.NeedsFineSteps());

    YMultiParameter normal;
    normal.SetHostValue(0.25, params);
    normal.SetSwitch(true);
    EXPECT_FALSE(normal.NeedsFineSteps());
    normal.Advance(100000, params);
    EXPECT_EQ(normal.Value(), 0.25);
}

// --- Banks ---

TEST_F(MultiParameterTest, BanksGiveTheNearestBankOrInterpolateBetweenNeighbours) {
    multi.Mode = kMultiParameterBanks;
    multi.SetBankCount(5);
    multi.Targets.push_back(Target("Depth", kRangeUpOnly, 0.0, 1.0));
    multi.Targets[0].Banks = {0.0f, 0.25f, 1.0f, 0.5f, 0.75f};
    multi.Targets[0].ShapeEnabled = true; // shapes and ranges do not apply to banks
    const struct {
        bool interpolate;
        double p, expected;
    } cases[] = {
        {false, 0.0, 0.0},  {false, 0.3, 0.25}, {false, 0.4, 1.0},   {false, 0.5, 1.0},
        {false, 1.0, 0.75}, {true, 0.0, 0.0},   {true, 0.3, 0.4},    {true, 0.625, 0.75},
        {true, 1.0, 0.75},  {true, 7.0, 0.75},  {true, -1.0, 0.0},
    };
    for (const auto& c : cases) {
        multi.Targets[0].Interpolate = c.interpolate;
        EXPECT_NEAR(multi.TargetValue(0, c.p), c.expected, 1e-7) << c.p << (c.interpolate ? " interpolated" : "");
    }
    multi.SetBankCount(1);
    EXPECT_EQ(multi.Targets[0].Banks.size(), 1u);
    EXPECT_EQ(multi.TargetValue(0, 0.9), 0.0);
    multi.SetBankCount(1000000);
    EXPECT_EQ(multi.BankCount(), YMultiParameter::kMaxBankCount);
    EXPECT_EQ(multi.Targets[0].Banks.size(), static_cast<size_t>(YMultiParameter::kMaxBankCount));
}

// --- Stored form ---

// Writes through the XML writer and parses back, as a saved state does.
std::unique_ptr<YXMLDocument> ThroughText(YMultiParameter& multi) {
    YXMLDocument written("MultiParameter0");
    multi.Store(YStorer{true, &written});
    YMemoryStream stream;
    written.SaveCompressed(stream);
    stream.Seek(0, 0);
    auto read = std::make_unique<YXMLDocument>();
    read->LoadCompressed(stream);
    return read;
}

TEST_F(MultiParameterTest, StoredFormRoundTripsEveryFieldIncludingBanks) {
    multi.Name = "*Sweep";
    multi.Enabled = true;
    multi.Group = "Main";
    multi.Info = "Moves two things";
    multi.Mode = kMultiParameterBanks;
    multi.ValueMode = kMultiParameterByFirstParameter;
    multi.SwitchTime = 2.5;
    multi.DefaultValue = 0.25;
    multi.SetHostValue(0.75, params);
    multi.Targets.push_back(Target("Depth", kRangeDownOnly, 0.3, 0.4, 0.9));
    multi.Targets.push_back(Target("Rate", kRangeFullRange, 0.6, 0.2));
    YMultiParameterTarget& second = multi.Targets[1];
    second.ParameterEnabled = false;
    second.Range.Invert = true;
    second.UseFirstRange = true;
    second.ShapeEnabled = true;
    second.Interpolate = true;
    multi.SetBankCount(6);
    multi.Targets[0].Banks = {0.0f, 0.1f, 0.2f, 0.30000001f, 0.9f, 1.0f};
    second.Banks = {1.0f, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f};

    auto document = ThroughText(multi);
    const YXMLItem& root = *document;
    EXPECT_EQ(root.GetAttribute("Mode"), YString("Banks"));
    EXPECT_EQ(root.GetAttribute("ValueMode"), YString("By first parameter"));
    EXPECT_EQ(root.GetAttribute("BankCount"), YString("6"));
    const YString& hex = root.GetChild("Parameter").GetText();
    ASSERT_FALSE(hex.IsEmpty());
    for (int32_t i = 0; i < hex.Length(); ++i)
        EXPECT_TRUE((hex[i] >= u'0' && hex[i] <= u'9') || (hex[i] >= u'A' && hex[i] <= u'F')) << i;

    YMultiParameter loaded;
    loaded.Store(YStorer{false, document.get()});
    EXPECT_TRUE(loaded.LoadProblem().IsEmpty());
    EXPECT_EQ(loaded.Name, YString("*Sweep"));
    EXPECT_TRUE(loaded.IsHidden());
    EXPECT_TRUE(loaded.Enabled);
    EXPECT_EQ(loaded.Group, YString("Main"));
    EXPECT_EQ(loaded.Info, YString("Moves two things"));
    EXPECT_EQ(loaded.Mode, kMultiParameterBanks);
    EXPECT_EQ(loaded.ValueMode, kMultiParameterByFirstParameter);
    EXPECT_DOUBLE_EQ(loaded.SwitchTime, 2.5);
    EXPECT_DOUBLE_EQ(loaded.DefaultValue, 0.25);
    EXPECT_DOUBLE_EQ(loaded.Value(), 0.75);
    EXPECT_EQ(loaded.BankCount(), 6);
    ASSERT_EQ(loaded.Targets.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const YMultiParameterTarget& a = multi.Targets[i];
        const YMultiParameterTarget& b = loaded.Targets[i];
        EXPECT_EQ(b.ParameterName, a.ParameterName) << i;
        EXPECT_EQ(b.ParameterEnabled, a.ParameterEnabled) << i;
        EXPECT_DOUBLE_EQ(b.Range.Value, a.Range.Value) << i;
        EXPECT_DOUBLE_EQ(b.Range.MaxValue, a.Range.MaxValue) << i;
        EXPECT_DOUBLE_EQ(b.Range.Range, a.Range.Range) << i;
        EXPECT_EQ(b.Range.Mode, a.Range.Mode) << i;
        EXPECT_EQ(b.Range.Invert, a.Range.Invert) << i;
        EXPECT_EQ(b.UseFirstRange, a.UseFirstRange) << i;
        EXPECT_EQ(b.ShapeEnabled, a.ShapeEnabled) << i;
        EXPECT_EQ(b.Interpolate, a.Interpolate) << i;
        EXPECT_EQ(b.Banks, a.Banks) << i; // float32 bit for bit
    }
}

TEST_F(MultiParameterTest, DefaultsAreOmittedAndOutsideBanksModeNoBankDataIsWritten) {
    multi.Targets.push_back(Target("Depth", kRangeUpAndDown, 0.5, 1.0));
    YXMLItem item("MultiParameter1");
    item.SetAttribute("BankCount", "9"); // stale
    multi.Store(YStorer{true, &item});
    for (const char* absent : {"Name", "Enabled", "Group", "Info", "SwitchTime", "BankCount"})
        EXPECT_EQ(item.FindAttribute(YString::Literal(absent)), nullptr) << absent;
    EXPECT_EQ(item.GetAttribute("Mode"), YString("Normal"));
    EXPECT_EQ(item.GetAttribute("ValueMode"), YString("Percents"));
    EXPECT_NE(item.FindAttribute("Value"), nullptr);
    ASSERT_EQ(item.GetChildCount(), 1);
    const YXMLItem& parameter = item.GetChild("Parameter");
    EXPECT_TRUE(parameter.GetText().IsEmpty());
    EXPECT_EQ(parameter.FindAttribute("Interpolate"), nullptr);
    EXPECT_EQ(parameter.FindChild("Shape"), nullptr);
    // Writing again replaces the targets instead of adding to them.
    multi.Store(YStorer{true, &item});
    EXPECT_EQ(item.GetChildCount(), 1);
}

TEST_F(MultiParameterTest, BadBankTextRaisesTheFormatError) {
    const std::vector<float> banks = {0.5f, 0.25f};
    const YString good = YMultiParameter::EncodeBanks(banks);
    EXPECT_EQ(YMultiParameter::DecodeBanks(good, 2, 0.0f), banks);
    EXPECT_EQ(YMultiParameter::DecodeBanks(YString(" ") + good + YString("\n"), 2, 0.0f), banks);
    // Fewer stored banks than the count: the rest take the fill value; more: cut.
    EXPECT_EQ(YMultiParameter::DecodeBanks(good, 3, 0.125f), (std::vector<float>{0.5f, 0.25f, 0.125f}));
    EXPECT_EQ(YMultiParameter::DecodeBanks(good, 1, 0.0f), (std::vector<float>{0.5f}));

    const char* bad[] = {"ABC", "XYZW", "00FF00FF", "789C"};
    for (const char* text : bad) {
        try {
            YMultiParameter::DecodeBanks(YString::Literal(text), 4, 0.0f);
            ADD_FAILURE() << text << " decoded";
        } catch (const YException& e) {
            EXPECT_EQ(e.Message(), YString("Value doesn't have correct format.")) << text;
        }
    }
    // Values outside 0..1 are limited.
    EXPECT_EQ(YMultiParameter::DecodeBanks(YMultiParameter::EncodeBanks({3.0f, -1.0f}), 2, 0.5f),
              (std::vector<float>{1.0f, 0.0f}));
}

TEST_F(MultiParameterTest, ASwitchTimeThatIsNegativeOrEndlessReadsAsTheDefault) {
    for (const char* text : {"-2", "inf", "-inf", "nan", "1e400"}) {
        YXMLItem item("MultiParameter0");
        item.SetAttribute("SwitchTime", YString::FromUTF8(text));
        multi.SwitchTime = 0.25;
        multi.Store(YStorer{false, &item});
        EXPECT_EQ(multi.SwitchTime, 1.0) << text;
    }
}

TEST_F(MultiParameterTest, BadStoredInputIsLimitedAndNothingElseIsLost) {
    YXMLItem item("MultiParameter0");
    item.SetAttribute("Name", "Wide");
    item.SetAttribute("Mode", "Banks");
    item.SetAttribute("ValueMode", "Sideways");
    item.SetAttribute("Value", "3");
    item.SetAttribute("SwitchTime", "-2");
    item.SetAttribute("BankCount", "5000000");
    item.SetAttribute("Colour", "red");
    YXMLItem& broken = item.AddChild("Parameter");
    broken.SetAttribute("ParameterName", "Depth");
    broken.SetAttribute("Value", "-1");
    broken.SetAttribute("FullRange", "12");
    broken.SetText("NOT HEX");
    YXMLItem& fine = item.AddChild("Parameter");
    fine.SetAttribute("ParameterName", "Rate");
    fine.SetAttribute("Value", "0.25");
    fine.SetText(YMultiParameter::EncodeBanks({0.5f, 1.0f}));

    multi.Store(YStorer{false, &item});
    EXPECT_EQ(multi.LoadProblem(), YString("Value doesn't have correct format."));
    EXPECT_EQ(multi.Name, YString("Wide"));
    EXPECT_EQ(multi.ValueMode, kMultiParameterPercents);
    EXPECT_EQ(multi.Value(), 1.0);
    EXPECT_EQ(multi.SwitchTime, 1.0);
    EXPECT_EQ(multi.BankCount(), YMultiParameter::kMaxBankCount);
    ASSERT_EQ(multi.Targets.size(), 2u);
    EXPECT_EQ(multi.Targets[0].Range.Value, 0.0);
    EXPECT_EQ(multi.Targets[0].Range.Mode, kRangeInterval);
    EXPECT_EQ(multi.Targets[0].Banks, std::vector<float>(YMultiParameter::kMaxBankCount, 0.0f));
    EXPECT_EQ(multi.Targets[1].Banks[0], 0.5f);
    EXPECT_EQ(multi.Targets[1].Banks[1], 1.0f);
    EXPECT_EQ(multi.Targets[1].Banks[2], 0.25f);

    for (const char* count : {"0", "-7"}) {
        item.SetAttribute("BankCount", YString::Literal(count));
        multi.Store(YStorer{false, &item});
        EXPECT_EQ(multi.BankCount(), 1) << count;
        EXPECT_EQ(multi.Targets[1].Banks.size(), 1u) << count;
    }
    // An unknown mode name reads as Normal.
    item.SetAttribute("Mode", "Sideways");
    multi.Store(YStorer{false, &item});
    EXPECT_EQ(multi.Mode, kMultiParameterNormal);
}

TEST_F(MultiParameterTest, TargetNamesAreResolvedAgainAfterALoad) {
    YXMLItem item("MultiParameter0");
    item.AddChild("Parameter").SetAttribute("ParameterName", "Mix");
    item.AddChild("Parameter").SetAttribute("ParameterName", "Removed");
    multi.Store(YStorer{false, &item});
    multi.Resolve(params);
    EXPECT_EQ(multi.Targets[0].ParameterIndex, 3);
    EXPECT_EQ(multi.Targets[1].ParameterIndex, -1);
    multi.SetHostValue(1.0, params);
    ASSERT_EQ(params.Writes().size(), 1u);
    EXPECT_EQ(params.Writes()[0].Index, 3);
}

// --- Texts, names and learning ---

TEST_F(MultiParameterTest, ValueTextFollowsTheValueMode) {
    multi.SetHostValue(0.5, params);
    EXPECT_EQ(multi.ValueText(params), YString("50.0%"));
    multi.ValueMode = kMultiParameterByFirstParameter;
    EXPECT_EQ(multi.ValueText(params), YString("50.0%")); // no first target yet
    multi.Targets.push_back(Target("Feedback", kRangeUpOnly, 0.0, 1.0));
    multi.Resolve(params);
    multi.SetHostValue(0.25, params);
    EXPECT_EQ(multi.ValueText(params), YString("0.250 units"));
}

TEST_F(MultiParameterTest, StarNamesAreHiddenFromTheActivePresetEditor) {
    const struct {
        const char* name;
        bool hidden, shown;
    } cases[] = {{"", false, false}, {"Sweep", false, true}, {"*Sweep", true, false}, {"A*", false, true}};
    for (const auto& c : cases) {
        multi.Name = YString::Literal(c.name);
        EXPECT_EQ(multi.IsHidden(), c.hidden) << c.name;
        EXPECT_EQ(multi.ShownInActivePresetEditor(), c.shown) << c.name;
    }
}

TEST_F(MultiParameterTest, LearnRecordsMovedParametersWithTheirRanges) {
    multi.Targets.push_back(Target("Mix", kRangeUpOnly, 0.0, 1.0));
    multi.Resolve(params);
    multi.LearnParameterMoved(0, "Depth", 0.1, 0.2); // not learning: ignored
    EXPECT_EQ(multi.Targets.size(), 1u);

    multi.StartLearn(false);
    multi.LearnParameterMoved(0, "Depth", 0.1, 0.2);
    multi.LearnParameterMoved(0, "Depth", 0.2, 0.7);
    multi.LearnParameterMoved(3, "Mix", 0.4, 0.3);
    multi.LearnParameterMoved(-1, "Nothing", 0.0, 1.0);
    multi.StopLearn();
    multi.LearnParameterMoved(1, "Feedback", 0.0, 1.0);
    ASSERT_EQ(multi.Targets.size(), 2u);
    EXPECT_EQ(multi.Targets[1].ParameterName, YString("Depth"));
    EXPECT_EQ(multi.Targets[1].Range.Mode, kRangeInterval);
    EXPECT_DOUBLE_EQ(multi.TargetValue(1, 0.0), 0.1);
    EXPECT_DOUBLE_EQ(multi.TargetValue(1, 1.0), 0.7);
    EXPECT_DOUBLE_EQ(multi.TargetValue(0, 0.0), 0.4); // the existing target took its new range
    EXPECT_DOUBLE_EQ(multi.TargetValue(0, 1.0), 0.3);

    multi.StartLearn(true); // Clear & Learn
    EXPECT_TRUE(multi.Targets.empty());
    multi.LearnParameterMoved(2, "Rate", 0.5, 0.9);
    ASSERT_EQ(multi.Targets.size(), 1u);
    EXPECT_EQ(multi.Targets[0].ParameterIndex, 2);
}

TEST_F(MultiParameterTest, MovementsAndHostWritesDoNotAllocate) {
    multi.Mode = kMultiParameterSwitch;
    multi.SwitchTime = 0.1;
    for (int i = 0; i < 10; ++i) multi.Targets.push_back(Target(i % 2 ? "Depth" : "Rate", i % 5, 0.3, 0.5));
    multi.Resolve(params);
    const uint64_t before = AllocationCounting::Count();
    multi.SetHostValue(1.0, params);
    for (int i = 0; i < 20; ++i) multi.Advance(64, params);
    multi.Mode = kMultiParameterNormal;
    multi.SetHostValue(0.3, params);
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_EQ(params.Writes().size(), 210u); // every target at each of the 20 steps, then once more
}

} // namespace
