#include "core/YParameterAdapters.h"
#include "modulation/YAudioPluginHostSync.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

struct SyncRecords {
    PluginParameter records[4];
    PluginParameter& Switch() { return records[0]; }
    PluginParameter& Length() { return records[1]; }
    PluginParameter& Type() { return records[2]; }
    PluginParameter& Phase() { return records[3]; }
    void Define(YAudioPluginHostSync& sync, const YString& prefix = YString(), bool longList = false) {
        sync.DefineParameters(Switch(), Length(), Type(), Phase(), prefix, longList);
    }
};

std::string Str(const YString& s) { return s.ToUTF8(); }

int32_t IndexOf(const PluginParameter& p, const char* name) {
    for (int32_t i = 0; i < p.Enum.Count; ++i)
        if (std::string(p.Enum.Names[i]) == name) return i;
    return -1;
}

} // namespace

TEST(YAudioPluginHostSync, DefinesFourParameters) {
    YAudioPluginHostSync sync;
    SyncRecords r;
    r.Define(sync);

    EXPECT_EQ(r.Switch().Kind, kParameterGroup);
    EXPECT_EQ(Str(r.Switch().ID), "sync");
    EXPECT_EQ(Str(r.Switch().Name), "Synchronization");
    EXPECT_EQ(Str(r.Switch().Description),
              "<name>Synchronization panel</name> contains parameters for to-host synchronization.");
    EXPECT_FALSE(sync.IsEnabled());

    EXPECT_EQ(r.Length().Kind, kParameterEnum);
    EXPECT_EQ(Str(r.Length().ID), "synclength__");
    EXPECT_EQ(Str(r.Length().Name), "Length");
    EXPECT_EQ(r.Length().Enum.Count, 15);
    EXPECT_EQ(r.Length().Enum.Value, 9);
    EXPECT_STREQ(r.Length().Enum.Names[0], "128");
    EXPECT_STREQ(r.Length().Enum.Names[9], "1 / 4");
    EXPECT_STREQ(r.Length().Enum.Names[14], "1 / 128");
    EXPECT_EQ(Str(r.Length().Description), "<name>Length</name> defines note length, therefore speed.");

    EXPECT_EQ(Str(r.Type().ID), "synctype");
    EXPECT_EQ(Str(r.Type().Name), "Type");
    EXPECT_EQ(r.Type().Enum.Count, 4);
    EXPECT_EQ(r.Type().Enum.Value, 0);
    EXPECT_STREQ(r.Type().Enum.Names[3], "Tuplets");
    EXPECT_EQ(Str(r.Type().Description),
              "<name>Type</name> defines note type, such as straight notes or triplets.");

    EXPECT_EQ(r.Phase().Kind, kParameterFloat);
    EXPECT_EQ(Str(r.Phase().ID), "syncphase");
    EXPECT_EQ(Str(r.Phase().Name), "Phase");
    EXPECT_EQ(r.Phase().Float.Min, 0.0);
    EXPECT_EQ(r.Phase().Float.Max, 1.0);
    EXPECT_EQ(r.Phase().Float.Value, 0.25);
    EXPECT_EQ(Str(r.Phase().Description),
              "<name>Phase</name> defines phase offset of the to-host synchronization.");
    YString text;
    r.Phase().GetValueText(text);
    EXPECT_EQ(Str(text), "90\xC2\xB0 (25.0%)");
    EXPECT_NEAR(r.Phase().ParseValueText("180"), 0.5, 1e-12);
    EXPECT_EQ(sync.PhaseOffset(), 0.5);

    for (PluginParameter& p : r.records) EXPECT_TRUE(p.FlagsA & PluginParameter::kDefined);
    EXPECT_EQ(sync.Factor(), 4.0);
}

TEST(YAudioPluginHostSync, PrefixedIdentifiers) {
    YAudioPluginHostSync sync;
    SyncRecords r;
    r.Define(sync, "lfo2");
    EXPECT_EQ(Str(r.Switch().ID), "lfo2sync");
    EXPECT_EQ(Str(r.Length().ID), "lfo2synclength__");
    EXPECT_EQ(Str(r.Type().ID), "lfo2synctype");
    EXPECT_EQ(Str(r.Phase().ID), "lfo2syncphase");
}

TEST(YAudioPluginHostSync, FactorPerLengthAndType) {
    struct Case {
        const char* length;
        const char* type;
        double factor;
    } cases[] = {
        {"1 / 4", "Straight", 4.0},
        {"1 / 4", "Triplets", 6.0},
        {"1", "Dotted", 1.3333333333333333},
        {"128", "Straight", 0.0078125},
        {"1 / 128", "Straight", 128.0},
        {"1 / 128", "Tuplets", 160.0},
        {"2", "Triplets", 0.75},
        {"1 / 16", "Dotted", 16 * 1.3333333333333333},
    };
    for (const Case& c : cases) {
        YAudioPluginHostSync sync;
        SyncRecords r;
        r.Define(sync);
        r.Length().Enum.Value = IndexOf(r.Length(), c.length);
        r.Type().Enum.Value = IndexOf(r.Type(), c.type);
        ASSERT_GE(r.Length().Enum.Value, 0);
        ASSERT_GE(r.Type().Enum.Value, 0);
        sync.UpdateFactor();
        EXPECT_DOUBLE_EQ(sync.Factor(), c.factor) << c.length << " " << c.type;
    }
    // Every step of the length list doubles the speed.
    YAudioPluginHostSync sync;
    SyncRecords r;
    r.Define(sync);
    for (int32_t i = 0; i < 15; ++i) {
        r.Length().Enum.Value = i;
        sync.UpdateFactor();
        EXPECT_EQ(sync.Factor(), std::ldexp(1.0, i - 7));
    }
}

TEST(YAudioPluginHostSync, LongListKeepsNamesAndSpeedsTogether) {
    YAudioPluginHostSync sync;
    SyncRecords r;
    r.Define(sync, YString(), true);
    EXPECT_TRUE(sync.IsLongList());
    EXPECT_STREQ(r.Length().Enum.Names[0], "64");
    EXPECT_STREQ(r.Length().Enum.Names[14], "1 / 256");
    EXPECT_STREQ(r.Length().Enum.Names[r.Length().Enum.Value], "1 / 4");
    struct Case {
        const char* length;
        double factor;
    } cases[] = {{"64", 1.0 / 64}, {"1", 1.0}, {"1 / 4", 4.0}, {"1 / 256", 256.0}};
    for (const Case& c : cases) {
        r.Length().Enum.Value = IndexOf(r.Length(), c.length);
        sync.UpdateFactor();
        EXPECT_EQ(sync.Factor(), c.factor) << c.length;
    }
}

TEST(YAudioPluginHostSync, WithoutRecords) {
    YAudioPluginHostSync sync;
    EXPECT_EQ(sync.PhaseOffset(), 0.0);
    EXPECT_EQ(sync.SwitchRecord(), nullptr);
    sync.UpdateFactor();
    EXPECT_EQ(sync.Factor(), 4.0); // the default "1 / 4" straight
}

TEST(YAudioPluginHostSync, HostDrivesTheSwitchAndLengthThroughAdapters) {
    YAudioPluginHostSync sync;
    SyncRecords r;
    r.Define(sync);
    ParameterAdapterSetup setup;
    setup.Record = &r.Switch();
    auto sw = CreateParameterAdapter(setup);
    setup.Record = &r.Length();
    auto length = CreateParameterAdapter(setup);
    ASSERT_NE(sw, nullptr);
    ASSERT_NE(length, nullptr);

    sw->SetParameter(0, 1.0, false);
    EXPECT_TRUE(sync.IsEnabled());
    sw->SetParameter(0, 0.0, false);
    EXPECT_FALSE(sync.IsEnabled());

    EXPECT_EQ(length->ParseParameterValueName(0, "1 / 8"), 10.0 / 14.0);
    length->SetParameter(0, 10.0 / 14.0, false);
    sync.UpdateFactor();
    EXPECT_EQ(sync.Factor(), 8.0);
    YString text;
    length->GetParameterValueName(text, 0);
    EXPECT_EQ(Str(text), "1 / 8");

    // A stored length beyond the list (an older or damaged state) stays usable.
    r.Length().Enum.Value = 40;
    sync.UpdateFactor();
    EXPECT_EQ(sync.Factor(), 128.0);
}
