#include "core/YValue.h"
#include "foundation/YXMLItem.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

std::string Str(const YString& s) { return s.ToUTF8(); }

enum class ChannelMode { kLeftRight, kLeft, kRight };
const char* const kChannelModes[] = {"Left + Right", "Left", "Right"};

} // namespace

TEST(YValueDisplay, UnitFormats) {
    struct Case {
        const char* what;
        double value;
        const char* text;
    };
    auto check = [](YValue& v, double& variable, std::initializer_list<Case> cases) {
        for (const Case& c : cases) {
            variable = c.value;
            EXPECT_EQ(Str(v.FormatDisplay()), c.text) << c.what << " " << c.value;
        }
    };
    double x = 0;
    YValuePercents percents(x, -1, 1);
    check(percents, x,
          {{"percent", 0.5, "50.0%"},
           {"percent", 0.005, "0.50%"},
           {"percent", -0.009, "-0.90%"},
           {"percent", 1.0, "100.0%"}});
    YValueTimeMS time(x, 0, 1);
    check(time, x,
          {{"time", 0.0, "0 ms"},
           {"time", 0.00005, "0.050 ms"},
           {"time", 0.0008, "0.80 ms"},
           {"time", 0.005, "5.0 ms"},
           {"time", 0.0125, "13 ms"},
           {"time", 0.25, "250 ms"}});
    YValueVolume volume(x, 0, 10);
    check(volume, x,
          {{"volume", 1.0, "0.00 dB"},
           {"volume", 0.1, "-20.0 dB"},
           {"volume", 0.0, "silence"},
           {"volume", 0.5, "-6.02 dB"},
           {"volume", 4.0, "12.0 dB"}});
    YValueFrequency frequency(x, 0, 30000);
    check(frequency, x,
          {{"frequency", 0.0, "0 Hz"},
           {"frequency", 0.2, "0.2000 Hz"},
           {"frequency", 5.0, "5.00 Hz"},
           {"frequency", 40.0, "40.0 Hz"},
           {"frequency", 440.4, "440 Hz"},
           {"frequency", 999.5, "1000 Hz"},
           {"frequency", 12500.0, "12.5 kHz"}});
    YValuePan pan(x, -1, 1);
    check(pan, x, {{"pan", 0.0, "center"}, {"pan", -0.257, "25% left"}, {"pan", 0.999, "99% right"}});
    YValuePitch pitch(x);
    check(pitch, x, {{"pitch", 1.5, "+1.50"}, {"pitch", -2.0, "-2.00"}});
    YValueDegreesFrom01 degrees(x, 0, 1);
    check(degrees, x,
          {{"degrees", 0.0, "0\xC2\xB0 (0%)"},
           {"degrees", 0.25, "90\xC2\xB0 (25.0%)"},
           {"degrees", 0.5, "180\xC2\xB0 (50.0%)"}});

    int32_t note = 60;
    YValueMIDINote midi(note);
    EXPECT_EQ(Str(midi.FormatDisplay()), "C5");
    note = 61;
    EXPECT_EQ(Str(midi.FormatDisplay()), "C#5");
    note = 11;
    EXPECT_EQ(Str(midi.FormatDisplay()), "B0");
    note = 127;
    EXPECT_EQ(Str(midi.FormatDisplay()), "G10");
    note = -1;
    EXPECT_EQ(Str(midi.FormatDisplay()), "B-1");
    note = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(Str(midi.FormatDisplay()), "E-178956971");
}

TEST(YValueDisplay, VariablesWrittenBehindTheConvertersBack) {
    // A bound variable may be written by anyone; its text must still be well defined.
    double x = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Str(YValuePan(x, -1, 1).FormatDisplay()), "center");
    x = 1e300;
    EXPECT_EQ(Str(YValuePan(x, -1, 1).FormatDisplay()), "9007199254740992% right");
    EXPECT_EQ(Str(YValueTimeMS(x).FormatDisplay()), "9007199254740992 ms");
}

TEST(YValueDisplay, NumbersWithAndWithoutFormat) {
    double d = 0.125;
    YValueNumber<double> number(d);
    EXPECT_EQ(Str(number.FormatDisplay()), "0.125000");
    number.SetFormat("{0;.1} units");
    EXPECT_EQ(Str(number.FormatDisplay()), "0.1 units");

    int64_t big = 0;
    YValueNumber<int64_t> count(big, 0, 1e12);
    count.Set(123456789012.4);
    EXPECT_EQ(big, 123456789012);
    EXPECT_EQ(Str(count.FormatDisplay()), "123456789012");

    float f = 0;
    YValuePercentsF pf(f);
    pf.ParseDisplay("25");
    EXPECT_FLOAT_EQ(f, 0.25f);
    EXPECT_EQ(Str(pf.FormatDisplay()), "25.0%");
}

TEST(YValueDisplay, CallbackTakesPrecedence) {
    double d = 0.5;
    YValuePercents v(d);
    EXPECT_EQ(Str(v.GetDisplayText()), "50.0%");
    v.SetTextCallback([](const YValue& value) { return YString::FromDouble(value.Get() * 2, 1); });
    EXPECT_EQ(Str(v.GetDisplayText()), "1.0");
    EXPECT_EQ(Str(v.FormatDisplay()), "50.0%");
}

TEST(YValueParse, TypedTextPerUnit) {
    double x = 0;
    struct Case {
        const char* text;
        double value;
    };
    auto check = [&x](YValue& v, std::initializer_list<Case> cases) {
        for (const Case& c : cases) {
            x = -123.0;
            v.ParseDisplay(YString::FromUTF8(c.text));
            EXPECT_NEAR(x, c.value, 1e-12) << c.text;
        }
    };
    YValuePercents percents(x, -1000, 1000);
    check(percents, {{"50", 0.5}, {" 12.5% ", 0.125}, {"abc", -123.0}});
    YValueTimeMS time(x, -1000, 1000);
    check(time, {{"250", 0.25}, {"0.8 ms", 0.0008}});
    YValueVolume volume(x, -1000, 1000);
    check(volume, {{"-20", 0.1}, {"0 dB", 1.0}, {"silence", 0.0}});
    YValueFrequency frequency(x, -1000, 30000);
    check(frequency, {{"440", 440.0}, {"12.5 kHz", 12500.0}, {"0.2000 Hz", 0.2}});
    YValueDegreesFrom01 degrees(x, -1000, 1000);
    check(degrees, {{"90", 0.25}, {"-180", -0.5}});
    YValuePan pan(x, -1000, 1000);
    check(pan, {{"center", 0.0}, {"25% left", -0.25}, {"40% right", 0.4}});

    int32_t note = 0;
    YValueMIDINote midi(note);
    midi.ParseDisplay("C#5");
    EXPECT_EQ(note, 61);
    midi.ParseDisplay("A4");
    EXPECT_EQ(note, 57);
    midi.ParseDisplay("H2"); // no such note: unchanged
    EXPECT_EQ(note, 57);
}

TEST(YValueLimits, SetClampsIgnoresNaNAndTracksChanges) {
    double d = 0.5;
    YValueNumber<double> v(d, 0, 1, 0.25);
    v.Set(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(d, 0.5);
    EXPECT_FALSE(v.IsChanged());
    v.Set(3.0);
    EXPECT_EQ(d, 1.0);
    EXPECT_TRUE(v.IsChanged());
    v.ClearChanged();
    v.Set(1.0);
    EXPECT_FALSE(v.IsChanged());
    EXPECT_TRUE(v.ResetToDefault());
    EXPECT_EQ(d, 0.25);
    EXPECT_FALSE(v.ResetToDefault());

    int32_t i = 0;
    YValueNumber<int32_t> vi(i, -10, 10);
    vi.Set(-2.5);
    EXPECT_EQ(i, -2); // half up
    vi.Set(1e300);
    EXPECT_EQ(i, 10);

    double s = 0;
    YValueStepDouble step(s, 0, 1);
    YValueConfig config;
    config.Inc = 0.25;
    step.Configure(config);
    step.Set(0.3);
    EXPECT_EQ(s, 0.25);
    step.Set(0.4);
    EXPECT_EQ(s, 0.5);
}

TEST(YValueStorage, TwelveDigitsAndAbsentAttributes) {
    YXMLItem item("item");
    double third = 1.0 / 3.0;
    YValueNumber<double> v(third);
    v.StoreValue(item, "gain");
    EXPECT_EQ(Str(item.GetAttribute("gain")), "0.333333333333");
    double small = 0.0008;
    YValueTimeMS t(small);
    t.StoreValue(item, "time");
    EXPECT_EQ(Str(item.GetAttribute("time")), "0.0008");
    int32_t n = -42;
    YValueNumber<int32_t> vi(n, -100, 100);
    vi.StoreValue(item, "count");
    EXPECT_EQ(Str(item.GetAttribute("count")), "-42");

    double loaded = 0.9;
    YValueNumber<double> reader(loaded);
    reader.LoadValue(item, "missing");
    EXPECT_EQ(loaded, 0.9);
    reader.LoadValue(item, "gain");
    EXPECT_DOUBLE_EQ(loaded, 0.333333333333);
    item.SetAttribute("bad", "not a number");
    reader.LoadValue(item, "bad");
    EXPECT_DOUBLE_EQ(loaded, 0.333333333333);
    item.SetAttribute("big", "7");
    reader.LoadValue(item, "big");
    EXPECT_EQ(loaded, 1.0); // limited to the range

    EXPECT_EQ(Str(v.ToText()), "0.333333");
}

TEST(YValueStorage, StoreRunsBothDirectionsUnderTheId) {
    double gain = 0.125;
    YValueVolume v(gain, 0, 4, 1);
    YXMLItem config("knob");
    config.SetAttribute("id", "OutputGain");
    v.ConfigureFrom(config);
    YXMLItem state("settings");
    v.Store(true, state);
    EXPECT_EQ(Str(state.GetAttribute("OutputGain")), "0.125");
    gain = 2.0;
    v.Store(false, state);
    EXPECT_EQ(gain, 0.125);
    YXMLItem empty("settings");
    v.Store(false, empty);
    EXPECT_EQ(gain, 0.125);
}

TEST(YValueStorage, EnumerationsByName) {
    ChannelMode mode = ChannelMode::kRight;
    YValueEnum<ChannelMode> v(mode, kChannelModes, 3);
    YXMLItem item("item");
    v.StoreValue(item, "ChannelMode");
    EXPECT_EQ(Str(item.GetAttribute("ChannelMode")), "Right");
    EXPECT_EQ(Str(v.FormatDisplay()), "Right");

    item.SetAttribute("ChannelMode", "Left");
    v.LoadValue(item, "ChannelMode");
    EXPECT_EQ(mode, ChannelMode::kLeft);
    item.SetAttribute("ChannelMode", "0");
    v.LoadValue(item, "ChannelMode");
    EXPECT_EQ(mode, ChannelMode::kLeftRight);
    item.SetAttribute("ChannelMode", "Surround");
    v.LoadValue(item, "ChannelMode");
    EXPECT_EQ(mode, ChannelMode::kLeftRight);
    v.ParseDisplay("Left + Right");
    EXPECT_EQ(mode, ChannelMode::kLeftRight);
    v.Set(9);
    EXPECT_EQ(mode, ChannelMode::kRight);

    int32_t index = 0;
    YValueList list(index, {YString("Off"), YString("Low"), YString("High")});
    list.ParseDisplay("High");
    EXPECT_EQ(index, 2);
    EXPECT_EQ(Str(list.FormatDisplay()), "High");
    list.SetPosition(0.5);
    EXPECT_EQ(index, 1);
}

TEST(YValueConfigure, FromGuiAttributes) {
    YXMLItem item("item");
    item.SetAttribute("id", "cutoff");
    item.SetAttribute("min", "20");
    item.SetAttribute("max", "20000");
    item.SetAttribute("default", "1000");
    item.SetAttribute("value", "440");
    item.SetAttribute("inc", "5");
    item.SetAttribute("maxinc", "50");
    item.SetAttribute("format", "{0;.1} Hz");
    double hz = 0;
    YValueNumber<double> v(hz);
    v.ConfigureFrom(item);
    EXPECT_EQ(Str(v.Id()), "cutoff");
    EXPECT_EQ(v.Min(), 20.0);
    EXPECT_EQ(v.Max(), 20000.0);
    EXPECT_EQ(v.Default(), 1000.0);
    EXPECT_EQ(v.Inc(), 5.0);
    EXPECT_EQ(v.MaxInc(), 50.0);
    EXPECT_EQ(hz, 440.0);
    EXPECT_EQ(Str(v.FormatDisplay()), "440.0 Hz");

    YXMLItem partial("partial");
    partial.SetAttribute("max", "junk");
    v.ConfigureFrom(partial);
    EXPECT_EQ(v.Max(), 20000.0);
}

TEST(YValuePosition, LinearLogarithmicAndScaled) {
    double x = 0;
    YValueNumber<double> linear(x, -1, 3);
    linear.SetPosition(0.25);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(linear.GetPosition(), 0.25);
    linear.SetPosition(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(x, 0.0);
    linear.SetPosition(7);
    EXPECT_EQ(x, 3.0);

    double hz = 0;
    YValueFrequencyLog log(hz, 20, 20000);
    log.SetPosition(0.5);
    EXPECT_NEAR(hz, std::sqrt(20.0 * 20000.0), 1e-9);
    EXPECT_NEAR(log.GetPosition(), 0.5, 1e-12);

    struct Case {
        double power;
        double position;
    } cases[] = {{2.0, 0.5}, {2.0, 0.9}, {4.0, 0.5}, {4.0, 0.1}};
    for (const Case& c : cases) {
        double v = 0;
        std::unique_ptr<YValue> inner = std::make_unique<YValueNumber<double>>(v, 0, 10);
        std::unique_ptr<YValueScale> scale;
        if (c.power == 2.0)
            scale = std::make_unique<YValueScaleSqr>(std::move(inner));
        else
            scale = std::make_unique<YValueScalePower>(std::move(inner));
        scale->SetPosition(c.position);
        EXPECT_NEAR(v, 10.0 * std::pow(c.position, c.power), 1e-12);
        EXPECT_NEAR(scale->Inner().GetPosition(), std::pow(c.position, c.power), 1e-12);
        EXPECT_NEAR(scale->GetPosition(), c.position, 1e-12);
    }
}

TEST(YValuePosition, ScaleForwardsEverythingElse) {
    double seconds = 0.002;
    YValueScaleSqr scale(std::make_unique<YValueTimeMS>(seconds, 0, 0.01, 0.001));
    EXPECT_EQ(Str(scale.FormatDisplay()), "2.0 ms");
    scale.ParseDisplay("5");
    EXPECT_EQ(seconds, 0.005);
    EXPECT_EQ(scale.Max(), 0.01);
    EXPECT_TRUE(scale.IsChanged());
    EXPECT_TRUE(scale.ResetToDefault());
    EXPECT_EQ(seconds, 0.001);
    YXMLItem item("item");
    item.SetAttribute("id", "pre");
    item.SetAttribute("max", "0.02");
    scale.ConfigureFrom(item);
    EXPECT_EQ(Str(scale.Id()), "pre");
    EXPECT_EQ(scale.Inner().Max(), 0.02);
    scale.SetTextCallback([](const YValue&) { return YString("custom"); });
    EXPECT_EQ(Str(scale.GetDisplayText()), "custom");
    EXPECT_EQ(Str(scale.Inner().GetDisplayText()), "custom");
}

TEST(YValueRounding, HalfUp) {
    struct Case {
        double in, out;
    } cases[] = {{0.5, 1}, {1.5, 2}, {2.5, 3}, {-0.5, 0}, {-1.5, -1}, {-2.4, -2}, {-2.6, -3}, {0.49999, 0}};
    for (const Case& c : cases) EXPECT_EQ(YRoundHalfUp(c.in), c.out) << c.in;
}
