#include "core/PluginParameter.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

const char* const kModeNames[] = {"Default", "Tape", "Tape 2"};

PluginParameter FloatRecord(double min, double max, double def, ParameterShape shape = kShapeLinear) {
    PluginParameter p;
    p.DefineFloat("f", "Float", min, max, def, shape);
    return p;
}

PluginParameter IntRecord(int32_t min, int32_t max, int32_t def) {
    PluginParameter p;
    p.DefineInteger("i", "Int", min, max, def);
    return p;
}

PluginParameter ModeRecord() {
    PluginParameter p;
    p.DefineEnum("Mode", "Mode", kModeNames, 3, 0);
    return p;
}

std::string Text(PluginParameter& p) {
    YString out;
    p.GetValueText(out);
    return out.ToUTF8();
}

// The shared generator's steps, worked out here on 64 bits so that an overflow slip in the
// 32-bit implementation shows.
struct ReferenceRandom {
    uint64_t state;
    double Next() {
        state = (state * 214013u + 2531011u) & 0xFFFFFFFFu;
        return static_cast<double>((state >> 16) & 0x7FFF) * (1.0 / 32767.0);
    }
    bool NextBit() {
        state = (state * 214013u + 2531011u) & 0xFFFFFFFFu;
        return ((state >> 16) & 1u) != 0;
    }
};

} // namespace

TEST(PluginParameterDefinition, DefaultsAndDefinedState) {
    PluginParameter p;
    EXPECT_EQ(p.Kind, kParameterNone);
    EXPECT_EQ(p.FlagsA,
              PluginParameter::kPublish | PluginParameter::kMarkOwner | PluginParameter::kRandomizable);
    EXPECT_EQ(p.FlagsB, 0x05);
    EXPECT_EQ(p.FlagsC, 0x04);
    EXPECT_EQ(p.TextFunction, nullptr);

    p.DefineFloat("Range2", "Range", 0.0, 0.01, 0.0008, kShapeSquare);
    EXPECT_EQ(p.Kind, kParameterFloat);
    EXPECT_EQ(p.ID.ToUTF8(), "Range2");
    EXPECT_EQ(p.Name.ToUTF8(), "Range");
    EXPECT_TRUE(p.FlagsA & PluginParameter::kDefined);
    EXPECT_EQ(p.Float.Value, 0.0008);
    EXPECT_EQ(p.Float.Processing, 0.0008);
    EXPECT_EQ(p.Float.Shape, kShapeSquare);
}

TEST(PluginParameterNormalisation, FloatShapesRoundTrip) {
    struct Case {
        ParameterShape shape;
        double min, max, x, value;
    } cases[] = {
        {kShapeLinear, 0.0, 0.01, 0.08, 0.0008}, {kShapeLinear, -2.0, 2.0, 0.75, 1.0},
        {kShapeSquare, 0.0, 0.01, 0.5, 0.0025},  {kShapeSquare, 1.0, 3.0, 0.5, 1.5},
        {kShapeFourth, 0.0, 16.0, 0.5, 1.0},     {kShapeFourth, -1.0, 1.0, 1.0, 1.0},
        {kShapeSquare, 0.0, 1.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape << " x " << c.x);
        PluginParameter p = FloatRecord(c.min, c.max, c.min, c.shape);
        p.SetNormalized(c.x);
        EXPECT_NEAR(p.Float.Value, c.value, 1e-12);
        EXPECT_NEAR(p.GetNormalized(), c.x, 1e-12);
    }
}

TEST(PluginParameterNormalisation, FloatDefaultUsesTheShape) {
    PluginParameter p = FloatRecord(0.0, 0.01, 0.0025, kShapeSquare);
    p.Float.Value = 0.01;
    EXPECT_NEAR(p.GetDefaultNormalized(), 0.5, 1e-12);
    EXPECT_NEAR(FloatRecord(0.0, 16.0, 1.0, kShapeFourth).GetDefaultNormalized(), 0.5, 1e-12);
}

TEST(PluginParameterNormalisation, IntegerRoundsHalfUp) {
    struct Case {
        int32_t min, max;
        double x;
        int32_t value;
    } cases[] = {
        {0, 10, 0.25, 3},  {0, 10, 0.24, 2}, {-5, 5, 0.45, 0}, // -0.5 goes up to 0
        {-5, 5, 0.44, -1}, {0, 10, 1.0, 10}, {3, 3, 0.7, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " x " << c.x);
        PluginParameter p = IntRecord(c.min, c.max, c.min);
        p.SetNormalized(c.x);
        EXPECT_EQ(p.Int.Value, c.value);
    }
    PluginParameter p = IntRecord(0, 10, 4);
    EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.4);
    EXPECT_DOUBLE_EQ(p.GetDefaultNormalized(), 0.4);
    EXPECT_EQ(IntRecord(3, 3, 3).GetNormalized(), 0.0); // an empty range is not a division by zero
}

TEST(PluginParameterNormalisation, EnumerationIndexMapping) {
    struct Case {
        double x;
        int32_t index;
    } cases[] = {{0.0, 0}, {0.16, 0}, {1.0 / 3.0, 1}, {0.5, 1}, {0.83, 2}, {1.0, 2}};
    for (const Case& c : cases) {
        PluginParameter p = ModeRecord();
        p.SetNormalized(c.x);
        EXPECT_EQ(p.Enum.Value, c.index) << "x " << c.x;
    }
    // Every index survives the trip through the host's value, for a long list too.
    PluginParameter p;
    static const char* const names[15] = {"a", "b", "c", "d", "e", "f", "g", "h",
                                          "i", "j", "k", "l", "m", "n", "o"};
    p.DefineEnum("e", "E", names, 15, 9);
    EXPECT_DOUBLE_EQ(p.GetDefaultNormalized(), 9.0 / 14.0);
    for (int32_t i = 0; i < 15; ++i) {
        p.Enum.Value = i;
        double x = p.GetNormalized();
        p.Enum.Value = -1;
        p.SetNormalized(x);
        EXPECT_EQ(p.Enum.Value, i);
    }
}

TEST(PluginParameterNormalisation, BooleanAndGroupSwitch) {
    PluginParameter b;
    b.DefineBool("b", "B", false);
    b.SetNormalized(0.5);
    EXPECT_EQ(b.Bool.Value, 1);
    EXPECT_EQ(b.GetNormalized(), 1.0);
    b.SetNormalized(0.49);
    EXPECT_EQ(b.Bool.Value, 0);
    EXPECT_EQ(Text(b), "Off");

    uint8_t state = 0;
    PluginParameter g;
    g.DefineGroup("g", "G", &state);
    g.SetNormalized(0.9);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(Text(g), "On");
    EXPECT_EQ(g.GetDefaultNormalized(), 0.0); // the state it was defined with, not the middle

    PluginParameter detached;
    detached.DefineGroup("g", "G", nullptr);
    detached.SetNormalized(1.0);
    EXPECT_EQ(detached.GetNormalized(), 0.0);
}

TEST(PluginParameterNormalisation, HoldWritesTheShadow) {
    PluginParameter p = FloatRecord(0.0, 1.0, 0.2);
    p.SetHold(true);
    EXPECT_TRUE(p.IsHeld());
    EXPECT_EQ(p.Float.Shadow, 0.2);
    p.SetNormalized(0.7);
    EXPECT_EQ(p.Float.Value, 0.2);
    EXPECT_EQ(p.Float.Shadow, 0.7);
    EXPECT_EQ(p.EffectiveFloat(), 0.7);
    p.SetHold(false);
    p.SetNormalized(0.9);
    EXPECT_EQ(p.Float.Value, 0.9);
    EXPECT_EQ(p.EffectiveFloat(), 0.9);

    PluginParameter i = IntRecord(0, 10, 5);
    i.SetHold(true);
    i.SetNormalized(1.0);
    EXPECT_EQ(i.Int.Value, 5);
    EXPECT_EQ(i.EffectiveInt(), 10);
}

TEST(PluginParameterNormalisation, BadHostValuesStayInRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x;
        double floatValue; // square shape over -1..3, starting at 1
        int32_t intValue;  // 0..10, starting at 4
        int32_t enumValue; // 3 names, starting at 1
    } cases[] = {
        {nan, 1.0, 4, 1}, {-1.0, -1.0, 0, 0}, {-inf, -1.0, 0, 0}, {2.0, 3.0, 10, 2}, {inf, 3.0, 10, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x);
        PluginParameter f = FloatRecord(-1.0, 3.0, 1.0, kShapeSquare);
        f.SetNormalized(c.x);
        EXPECT_EQ(f.Float.Value, c.floatValue);
        PluginParameter i = IntRecord(0, 10, 4);
        i.SetNormalized(c.x);
        EXPECT_EQ(i.Int.Value, c.intValue);
        PluginParameter e = ModeRecord();
        e.Enum.Value = 1;
        e.SetNormalized(c.x);
        EXPECT_EQ(e.Enum.Value, c.enumValue);
    }
    // A value below Min (say, from an older state) reads as 0, not as the root of a negative.
    PluginParameter f = FloatRecord(0.0, 1.0, 0.0, kShapeSquare);
    f.Float.Value = -0.5;
    EXPECT_EQ(f.GetNormalized(), 0.0);
    PluginParameter empty = FloatRecord(1.0, 1.0, 1.0);
    EXPECT_EQ(empty.GetNormalized(), 0.0);
}

TEST(PluginParameterText, PlainFormsPerKind) {
    PluginParameter f = FloatRecord(0.0, 1.0, 0.25);
    EXPECT_EQ(Text(f), "0.250000");
    f.Format = "{0;.1} dB";
    f.Float.Value = -3.04;
    EXPECT_EQ(Text(f), "-3.0 dB");

    PluginParameter i = IntRecord(-10, 10, -7);
    EXPECT_EQ(Text(i), "-7");
    i.Format = "{0} voices";
    EXPECT_EQ(Text(i), "-7 voices");

    PluginParameter e = ModeRecord();
    e.Enum.Value = 2;
    EXPECT_EQ(Text(e), "Tape 2");
    e.Enum.Value = 7; // out of range: no text rather than a read past the table
    EXPECT_EQ(Text(e), "");
}

TEST(PluginParameterText, StandardTextFunctions) {
    struct Case {
        ParameterTextFunction function;
        double value;
        const char* text;
    } cases[] = {
        {ParameterTextDryWet, 1.0, "100% wet, 100% dry"},
        {ParameterTextDryWet, 2.0, "100% wet, 0% dry"},
        {ParameterTextDryWet, -1.5, "-100% wet, 50% dry"},
        {ParameterTextDryWet, 0.555, "56% wet, 100% dry"},
        {ParameterTextDryWet, 0.0, "0% wet, 100% dry"},
        {ParameterTextTime, 0.0008, "0.80 ms"},
        {ParameterTextTime, 0.0, "0 ms"},
        {ParameterTextTime, 0.00005, "0.050 ms"},
        {ParameterTextTime, 0.005, "5.0 ms"},
        {ParameterTextTime, 0.0125, "13 ms"},
        {ParameterTextPercent, 0.5, "50.0%"},
        {ParameterTextPercent, 0.005, "0.50%"},
        {ParameterTextPercent, -0.25, "-25.0%"},
        {ParameterTextFrequency, std::log10(440.0), "440 Hz"},
        {ParameterTextFrequency, 4.301029995663981, "20.0 kHz"},
        {ParameterTextFrequency, 1.6020599913279625, "40.0 Hz"},
        {ParameterTextFrequency, -0.6989700043360187, "0.2000 Hz"},
        {ParameterTextFrequency, std::log10(5.0), "5.00 Hz"},
        {ParameterTextDegrees, 0.25, "90\xC2\xB0 (25.0%)"},
        {ParameterTextDegrees, 0.0, "0\xC2\xB0 (0%)"},
        {ParameterTextDegrees, -0.5, "-180\xC2\xB0 (-50.0%)"},
    };
    for (const Case& c : cases) {
        PluginParameter p = FloatRecord(-10.0, 10.0, c.value);
        p.TextFunction = c.function;
        EXPECT_EQ(Text(p), c.text) << "value " << c.value;
    }
}

TEST(PluginParameterText, TypedTextThroughTextFunctions) {
    struct Case {
        ParameterTextFunction function;
        const char* input;
        double value;
    } cases[] = {
        {ParameterTextDryWet, "50", 0.5},      {ParameterTextTime, "1.5", 0.0015},
        {ParameterTextTime, "2 ms", 0.002},    {ParameterTextPercent, "-20%", -0.2},
        {ParameterTextFrequency, "1000", 3.0}, {ParameterTextFrequency, "1.5 kHz", std::log10(1500.0)},
        {ParameterTextFrequency, "0", 0.5},                                        // no logarithm: ignored
        {ParameterTextFrequency, "-5", 0.5},                                       // ignored
        {ParameterTextDegrees, "90", 0.25},    {ParameterTextPercent, "abc", 0.5}, // no number: unchanged
    };
    for (const Case& c : cases) {
        PluginParameter p = FloatRecord(-10.0, 10.0, 0.5);
        p.TextFunction = c.function;
        YString out("stale");
        c.function(out, p, YString::FromUTF8(c.input));
        EXPECT_TRUE(out.IsEmpty());
        EXPECT_NEAR(p.Float.Value, c.value, 1e-12) << c.input;
    }
}

TEST(PluginParameterParse, FloatWithFunctionSetsTheLiveRecordWithinRange) {
    PluginParameter range = FloatRecord(0.0, 0.01, 0.0008, kShapeSquare);
    range.TextFunction = ParameterTextTime;
    EXPECT_NEAR(range.ParseValueText("2.5"), 0.5, 1e-12);
    EXPECT_NEAR(range.Float.Value, 0.0025, 1e-15);
    // 500 ms on a 10 ms control ends at the top, not beyond it.
    EXPECT_EQ(range.ParseValueText("500"), 1.0);
    EXPECT_EQ(range.Float.Value, 0.01);
}

TEST(PluginParameterParse, WithoutFunction) {
    PluginParameter f = FloatRecord(0.0, 0.01, 0.0, kShapeSquare);
    EXPECT_NEAR(f.ParseValueText("0.0025"), 0.5, 1e-12);
    EXPECT_EQ(f.Float.Value, 0.0); // parsing alone does not set a plain record
    EXPECT_EQ(f.ParseValueText("garbage"), 0.0);
    EXPECT_EQ(f.ParseValueText("1e9"), 1.0);

    PluginParameter i = IntRecord(0, 10, 0);
    EXPECT_DOUBLE_EQ(i.ParseValueText("7"), 0.7);
    EXPECT_DOUBLE_EQ(i.ParseValueText(" 3 "), 0.3);
    EXPECT_EQ(i.ParseValueText("99"), 1.0);

    PluginParameter e = ModeRecord();
    EXPECT_EQ(e.ParseValueText("Tape"), 0.5);
    EXPECT_EQ(e.ParseValueText("Tape 2"), 1.0);
    EXPECT_EQ(e.ParseValueText("tape"), 0.0); // exact comparison
    EXPECT_EQ(e.ParseValueText("Tape 3"), 0.0);
    EXPECT_EQ(e.ParseValueText(""), 0.0);
}

namespace {

// Takes typed text as twice the number, to tell the function's result from a plain reading.
void Doubling(YString& out, PluginParameter& record, const YString& input) {
    if (input.IsEmpty()) {
        out = "n/a";
        return;
    }
    out = YString();
    int32_t v = static_cast<int32_t>(input.ToInteger()) * 2;
    if (record.Kind == kParameterInteger) record.Int.Value = v;
    if (record.Kind == kParameterEnum) record.Enum.Value = v;
}

} // namespace

TEST(PluginParameterParse, IntegerAndEnumerationFunctionsWorkOnACopy) {
    PluginParameter i = IntRecord(0, 10, 1);
    i.TextFunction = Doubling;
    EXPECT_DOUBLE_EQ(i.ParseValueText("4"), 0.8);
    EXPECT_EQ(i.Int.Value, 1);
    EXPECT_EQ(Text(i), "n/a");

    PluginParameter e = ModeRecord();
    e.TextFunction = Doubling;
    EXPECT_EQ(e.ParseValueText("1"), 1.0);
    EXPECT_EQ(e.Enum.Value, 0);
}

TEST(PluginParameterRandom, SteppingMatchesTheGenerator) {
    YSharedRandom::Seed(1);
    // The generator's well-known opening from seed 1.
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int e : expected) EXPECT_EQ(YSharedRandom::Next(), e * (1.0 / 32767.0));
    EXPECT_EQ(YSharedRandom::State(), 3403800452u);

    ReferenceRandom ref{987654321};
    YSharedRandom::Seed(987654321);
    for (int k = 0; k < 1000; ++k) ASSERT_EQ(YSharedRandom::Next(), ref.Next()) << "draw " << k;
    EXPECT_EQ(YSharedRandom::State(), ref.state);
    EXPECT_EQ(YSharedRandom::NextBit(), ref.NextBit());
}

TEST(PluginParameterRandom, FloatFullAndPartial) {
    for (ParameterShape shape : {kShapeLinear, kShapeSquare, kShapeFourth}) {
        SCOPED_TRACE(testing::Message() << "shape " << shape);
        YSharedRandom::Seed(77);
        ReferenceRandom ref{77};
        PluginParameter p = FloatRecord(-2.0, 2.0, 0.0, shape);
        p.Randomize(1.0);
        double r = ref.Next();
        double shaped = shape == kShapeLinear ? r : shape == kShapeSquare ? r * r : r * r * r * r;
        EXPECT_DOUBLE_EQ(p.Float.Value, -2.0 + 4.0 * shaped);
        EXPECT_EQ(p.Float.Processing, p.Float.Value);

        // Partial: the normalised value moves by at most the amount.
        for (int k = 0; k < 200; ++k) {
            double before = p.GetNormalized();
            double rr = ref.Next();
            p.Randomize(0.1);
            double n = std::clamp(before + 0.2 * rr - 0.1, 0.0, 1.0);
            double shapedN = shape == kShapeLinear ? n : shape == kShapeSquare ? n * n : n * n * n * n;
            ASSERT_NEAR(p.Float.Value, -2.0 + 4.0 * shapedN, 1e-12);
            ASSERT_LE(std::fabs(p.GetNormalized() - before), 0.1 + 1e-6);
        }
    }
}

TEST(PluginParameterRandom, RoundFlagGivesWholeNumbers) {
    PluginParameter p = FloatRecord(0.0, 12.0, 0.0);
    p.FlagsB |= PluginParameter::kRoundRandom;
    YSharedRandom::Seed(5);
    ReferenceRandom ref{5};
    for (int k = 0; k < 50; ++k) {
        p.Randomize(1.0);
        ASSERT_EQ(p.Float.Value, std::round(12.0 * ref.Next())); // positive: half away is half up
    }
    p.Float.Value = 6.0;
    for (int k = 0; k < 50; ++k) {
        p.Randomize(0.2);
        ASSERT_EQ(p.Float.Value, std::round(p.Float.Value));
    }
}

TEST(PluginParameterRandom, IntegerFullStaysInRangeAndPartialMovesAtMostOne) {
    PluginParameter p = IntRecord(0, 10, 5);
    YSharedRandom::Seed(3);
    ReferenceRandom ref{3};
    bool sawLow = false, sawHigh = false;
    for (int k = 0; k < 2000; ++k) {
        p.Randomize(1.0);
        double r = ref.Next();
        ASSERT_EQ(p.Int.Value, static_cast<int32_t>(std::floor(r * 10.0 + 0.5)));
        ASSERT_GE(p.Int.Value, 0);
        ASSERT_LE(p.Int.Value, 10);
        sawLow |= p.Int.Value == 0;
        sawHigh |= p.Int.Value == 10;
    }
    EXPECT_TRUE(sawLow && sawHigh);
    for (int k = 0; k < 2000; ++k) {
        int32_t before = p.Int.Value;
        p.Randomize(0.1);
        ASSERT_LE(std::abs(p.Int.Value - before), 1);
        ASSERT_GE(p.Int.Value, 0);
        ASSERT_LE(p.Int.Value, 10);
    }
}

TEST(PluginParameterRandom, EnumerationAndBoolean) {
    PluginParameter e = ModeRecord();
    YSharedRandom::Seed(11);
    ReferenceRandom ref{11};
    for (int k = 0; k < 100; ++k) {
        e.Randomize(1.0);
        ASSERT_EQ(e.Enum.Value, std::min(static_cast<int32_t>(ref.Next() * 3.0), 2));
    }

    PluginParameter b;
    b.DefineBool("b", "B", false);
    YSharedRandom::Seed(1);
    b.Randomize(0.4); // too small to flip a switch: nothing drawn either
    EXPECT_EQ(YSharedRandom::State(), 1u);
    EXPECT_EQ(b.Bool.Value, 0);
    b.Randomize(0.5);
    EXPECT_EQ(b.Bool.Value, 1); // bit 16 of 2745024
    b.Randomize(1.0);
    EXPECT_EQ(b.Bool.Value, 1); // bit 16 of 3357800067
    b.Randomize(1.0);
    EXPECT_EQ(b.Bool.Value, 0); // bit 16 of 415139642

    uint8_t state = 0;
    PluginParameter g;
    g.DefineGroup("g", "G", &state);
    YSharedRandom::Seed(1);
    g.Randomize(1.0);
    EXPECT_EQ(state, 1);
}

TEST(PluginParameterRandom, RandomisableFlagAndForce) {
    PluginParameter p = FloatRecord(0.0, 1.0, 0.5);
    p.SetFlagA(PluginParameter::kRandomizable, false);
    YSharedRandom::Seed(1);
    p.Randomize(1.0);
    EXPECT_EQ(p.Float.Value, 0.5);
    p.Randomize(1.0, true);
    EXPECT_EQ(p.Float.Value, 41 * (1.0 / 32767.0));

    PluginParameter q = FloatRecord(0.0, 1.0, 0.5);
    q.Randomize(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(q.Float.Value, 0.5);
}

TEST(PluginParameterState, WritesEachKindAndReadsItBack) {
    uint8_t group = 1;
    PluginParameter depth = FloatRecord(-2.0, 2.0, 1.0);
    depth.ID = "Depth";
    depth.Float.Value = 1.0 / 3.0;
    PluginParameter count = IntRecord(0, 16, 5);
    count.ID = "Voices";
    PluginParameter mode = ModeRecord();
    mode.Enum.Value = 2;
    PluginParameter on;
    on.DefineBool("Enabled", "Enabled", true);
    PluginParameter sync;
    sync.DefineGroup("sync", "Synchronization", &group);

    YXMLItem root("settings");
    for (PluginParameter* p : {&depth, &count, &mode, &on, &sync}) p->Store(true, root);
    EXPECT_EQ(root.GetAttribute("parameterDepth").ToUTF8(), "0.333333333333");
    EXPECT_EQ(root.GetAttribute("parameterVoices").ToUTF8(), "5");
    EXPECT_EQ(root.GetAttribute("parameterMode").ToUTF8(), "2");
    EXPECT_EQ(root.GetAttribute("parameterModeEnum").ToUTF8(), "Tape 2");
    EXPECT_EQ(root.GetAttribute("parameterEnabled").ToUTF8(), "1");
    EXPECT_EQ(root.GetAttribute("parametersync").ToUTF8(), "1");

    depth.Float.Value = 0;
    count.Int.Value = 0;
    mode.Enum.Value = 0;
    on.Bool.Value = 0;
    group = 0;
    for (PluginParameter* p : {&depth, &count, &mode, &on, &sync}) p->Store(false, root);
    EXPECT_DOUBLE_EQ(depth.Float.Value, 0.333333333333);
    EXPECT_EQ(count.Int.Value, 5);
    EXPECT_EQ(mode.Enum.Value, 2);
    EXPECT_EQ(on.Bool.Value, 1);
    EXPECT_EQ(group, 1);
}

TEST(PluginParameterState, ReadingLimitsAndFallsBack) {
    PluginParameter range = FloatRecord(0.0, 0.01, 0.0008);
    range.ID = "Range2";
    PluginParameter mode = ModeRecord();
    PluginParameter count = IntRecord(0, 16, 5);
    count.ID = "Voices";

    YXMLItem root("settings");
    root.SetAttribute("parameterRange2", "0.5");
    root.SetAttribute("parameterMode", "2");
    root.SetAttribute("parameterModeEnum", "Tape");
    root.SetAttribute("parameterVoices", "-40");
    range.Load(root);
    mode.Load(root);
    count.Load(root);
    EXPECT_EQ(range.Float.Value, 0.01);
    EXPECT_EQ(mode.Enum.Value, 1); // the name wins over the index
    EXPECT_EQ(count.Int.Value, 0);

    YXMLItem plain("settings");
    plain.SetAttribute("parameterMode", "2");
    plain.SetAttribute("parameterRange2", "nan");
    mode.Load(plain);
    range.Load(plain);
    EXPECT_EQ(mode.Enum.Value, 2);
    EXPECT_EQ(range.Float.Value, 0.01); // unreadable: unchanged

    YXMLItem odd("settings");
    odd.SetAttribute("parameterMode", "99");
    odd.SetAttribute("parameterModeEnum", "Flange");
    mode.Enum.Value = 0;
    mode.Load(odd);
    EXPECT_EQ(mode.Enum.Value, 2); // limited: an index past the names would read beyond them

    YXMLItem empty("settings");
    count.Load(empty);
    range.Load(empty);
    EXPECT_EQ(count.Int.Value, 0);
    EXPECT_EQ(range.Float.Value, 0.01);
}
