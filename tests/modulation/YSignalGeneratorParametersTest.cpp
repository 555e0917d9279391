#include "modulation/YSignalGeneratorParameters.h"

#include "core/PluginParameter.h"
#include "foundation/YException.h"
#include "modulation/YSignalGenerator.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

class CountingOwner : public YParameterOwner {
public:
    void ParameterChanged(int32_t index) override { changed.push_back(index); }
    void SetNeedsUpdate() override { ++updates; }
    std::vector<int32_t> changed;
    int updates = 0;
};

struct Fixture {
    YSignalGenerator generator;
    PluginParameter record;
    CountingOwner owner;
    std::unique_ptr<YAudioPluginAutomationAdapter> adapter;

    explicit Fixture(const char* name, const char* id = "shape") {
        record.DefineSpecial(YString::Literal(id), YString::Literal(name), &generator);
        ParameterAdapterSetup setup;
        setup.Owner = &owner;
        setup.Record = &record;
        setup.Index = 16;
        adapter = CreateParameterAdapter(setup); // the core's factory asks the special object
    }
};

std::string Utf8(const YString& s) { return s.ToUTF8(); }

std::string Name(YAudioPluginAutomationAdapter& a, int32_t local) {
    YString out;
    a.GetParameterName(out, local);
    return Utf8(out);
}

std::string ValueText(YAudioPluginAutomationAdapter& a, int32_t local) {
    YString out;
    a.GetParameterValueName(out, local);
    return Utf8(out);
}

struct ValueCase {
    const char* adapter;
    int32_t local;
    const char* name;
    double normalized;
    std::function<double(const YSignalGenerator&)> read;
    double expected;
    double defaultNormalized;
};

} // namespace

TEST(YSignalGeneratorParameters, EachAdapterPublishesItsValues) {
    struct Layout {
        const char* adapter;
        std::vector<const char*> names;
    };
    const Layout layouts[] = {
        {"Shape", {"Shape"}},
        {"Custom morph", {"Custom morph"}},
        {"Step sequencer", {"Step sequencer"}},
        {"Smoothness", {"Smoothness"}},
        {"Transformations", {"Phase", "Skew", "Full skew", "Halve"}},
        {"Shape harmonics",
         {"Harmonic 2", "Harmonic 2 phase", "Harmonic 3", "Harmonic 3 phase", "Harmonic 4",
          "Harmonic 4 phase", "Harmonic 5", "Harmonic 5 phase", "Harmonic 6", "Harmonic 6 phase",
          "Harmonic 7", "Harmonic 7 phase", "Harmonic 8", "Harmonic 8 phase"}},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.adapter);
        Fixture f(layout.adapter);
        ASSERT_NE(f.adapter, nullptr);
        ASSERT_EQ(f.adapter->IndexCount(), static_cast<int32_t>(layout.names.size()));
        for (size_t i = 0; i < layout.names.size(); ++i) {
            EXPECT_EQ(Name(*f.adapter, static_cast<int32_t>(i)), layout.names[i]);
            EXPECT_EQ(f.adapter->GetParameterType(static_cast<int32_t>(i)), 1);
        }
        EXPECT_EQ(Name(*f.adapter, static_cast<int32_t>(layout.names.size())), "");
    }
}

TEST(YSignalGeneratorParameters, WritesReachTheGeneratorAndReadBack) {
    const ValueCase cases[] = {
        {"Shape", 0, "Shape", 0.3, [](const YSignalGenerator& g) { return g.GetValue(); }, 4.5, 1.0 / 3.0},
        {"Custom morph", 0, "Custom morph", 0.4,
         [](const YSignalGenerator& g) { return g.GetEnvelopeDepth(); }, 0.4, 0.0},
        {"Step sequencer", 0, "Step sequencer", 0.7,
         [](const YSignalGenerator& g) { return g.GetStepDepth(); }, 0.7, 0.0},
        {"Smoothness", 0, "Smoothness", 0.2, [](const YSignalGenerator& g) { return g.GetSmoothness(); }, 0.2,
         0.0},
        {"Transformations", 0, "Phase", 0.25, [](const YSignalGenerator& g) { return g.GetPhase(); }, -0.5,
         0.5},
        {"Transformations", 1, "Skew", 0.75, [](const YSignalGenerator& g) { return g.GetSkew(); }, 0.5, 0.5},
        {"Transformations", 2, "Full skew", 1.0, [](const YSignalGenerator& g) { return g.GetFullSkew(); },
         1.0, 0.5},
        {"Transformations", 3, "Halve", 0.0, [](const YSignalGenerator& g) { return g.GetHalve(); }, -1.0,
         0.5},
        {"Shape harmonics", 0, "Harmonic 2", 1.0, [](const YSignalGenerator& g) { return g.GetHarmonic(2); },
         1.0, 0.5},
        {"Shape harmonics", 3, "Harmonic 3 phase", 0.4,
         [](const YSignalGenerator& g) { return g.GetHarmonicPhase(3); }, 0.4, 0.0},
        {"Shape harmonics", 12, "Harmonic 8", 0.25,
         [](const YSignalGenerator& g) { return g.GetHarmonic(8); }, -0.5, 0.5},
        {"Shape harmonics", 13, "Harmonic 8 phase", 0.9,
         [](const YSignalGenerator& g) { return g.GetHarmonicPhase(8); }, 0.9, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.adapter);
        EXPECT_NEAR(f.adapter->GetParameterDefaultValue(c.local), c.defaultNormalized, 1e-12);
        EXPECT_NEAR(f.adapter->GetParameter(c.local), c.defaultNormalized, 1e-12);
        EXPECT_FALSE(f.generator.IsDirty());
        f.adapter->SetParameter(c.local, c.normalized, false);
        EXPECT_NEAR(c.read(f.generator), c.expected, 1e-12);
        EXPECT_NEAR(f.adapter->GetParameter(c.local), c.normalized, 1e-12);
        EXPECT_TRUE(f.generator.IsDirty());
        EXPECT_EQ(f.owner.changed, std::vector<int32_t>{16});
        EXPECT_EQ(f.owner.updates, 1);
    }
}

TEST(YSignalGeneratorParameters, SilentWritesDoNotNotifyTheOwner) {
    Fixture f("Smoothness");
    f.adapter->SetParameter(0, 0.5, true);
    EXPECT_EQ(f.generator.GetSmoothness(), 0.5);
    EXPECT_TRUE(f.owner.changed.empty());
    EXPECT_EQ(f.owner.updates, 0);
}

TEST(YSignalGeneratorParameters, BadWritesAreLimitedOrIgnored) {
    Fixture f("Transformations");
    f.adapter->SetParameter(1, 3.0, false);
    EXPECT_EQ(f.generator.GetSkew(), 1.0);
    f.adapter->SetParameter(1, -3.0, false);
    EXPECT_EQ(f.generator.GetSkew(), -1.0);
    f.adapter->SetParameter(1, std::nan(""), false);
    EXPECT_EQ(f.generator.GetSkew(), -1.0);
    f.adapter->SetParameter(4, 0.9, false); // past the last index
    f.adapter->SetParameter(-1, 0.9, false);
    EXPECT_EQ(f.owner.changed.size(), 2u);
    EXPECT_EQ(f.adapter->GetParameter(9), 0.0);
}

TEST(YSignalGeneratorParameters, ValueTextsNameShapesAndShowUnits) {
    Fixture shape("Shape");
    EXPECT_EQ(ValueText(*shape.adapter, 0), "Sine");
    YString text;
    shape.adapter->GetParameterValueNameFrom01(text, 0, 4.5 / 15.0);
    EXPECT_EQ(Utf8(text), "Sine square / Sine 50.0%");
    shape.adapter->GetParameterValueNameFrom01(text, 0, 1.0);
    EXPECT_EQ(Utf8(text), "Mess");
    EXPECT_EQ(shape.generator.GetValue(), 5.0); // the live value is not touched

    Fixture transforms("Transformations");
    transforms.adapter->SetParameter(0, 0.625, false); // Phase 0.25
    EXPECT_EQ(ValueText(*transforms.adapter, 0), "90\u00B0 (25.0%)");
    transforms.adapter->SetParameter(1, 0.25, false); // Skew −0.5
    EXPECT_EQ(ValueText(*transforms.adapter, 1), "-50.0%");

    Fixture morph("Custom morph");
    morph.adapter->SetParameter(0, 0.5, false);
    EXPECT_EQ(ValueText(*morph.adapter, 0), "50.0%");
}

TEST(YSignalGeneratorParameters, RandomizeMovesEveryValueWithinRangeUnlessForbidden) {
    Fixture f("Shape harmonics");
    YSharedRandom::Seed(1234);
    f.adapter->Randomize(1.0);
    int moved = 0;
    for (int32_t i = 0; i < f.adapter->IndexCount(); ++i) {
        const double x = f.adapter->GetParameter(i);
        EXPECT_GE(x, 0.0);
        EXPECT_LE(x, 1.0);
        if (x != f.adapter->GetParameterDefaultValue(i)) ++moved;
    }
    EXPECT_GE(moved, 12);

    Fixture fixed("Smoothness");
    fixed.record.SetFlagA(PluginParameter::kRandomizable, false);
    fixed.adapter->Randomize(1.0);
    EXPECT_EQ(fixed.generator.GetSmoothness(), 0.0);
    EXPECT_FALSE(fixed.generator.IsDirty());
    YSharedRandom::Seed(99);
    const double draw = YSharedRandom::Next();
    YSharedRandom::Seed(99);
    fixed.adapter->Randomize(1.0, true);
    EXPECT_DOUBLE_EQ(fixed.generator.GetSmoothness(), draw);
}

TEST(YSignalGeneratorParameters, UnknownRecordNamesAreRejected) {
    YSignalGenerator generator;
    PluginParameter record;
    record.DefineSpecial("lfo", "Wobble", &generator);
    ParameterAdapterSetup setup;
    setup.Record = &record;
    EXPECT_THROW(CreateParameterAdapter(setup), YException);

    // The ID alone also selects the adapter.
    record.DefineSpecial("Smoothness", "LFO smoothing", &generator);
    auto adapter = CreateParameterAdapter(setup);
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->IndexCount(), 1);
    adapter->SetParameter(0, 0.3, true);
    EXPECT_EQ(generator.GetSmoothness(), 0.3);
}
