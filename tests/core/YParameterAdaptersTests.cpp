#include "core/YAudioPlugin.h"
#include "core/YParameterAdapters.h"
#include "foundation/YException.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kModeNames[] = {"Default", "Tape", "Tape 2"};

struct RecordingOwner : YParameterOwner {
    std::vector<int32_t> changed;
    int needsUpdate = 0;
    void ParameterChanged(int32_t index) override { changed.push_back(index); }
    void SetNeedsUpdate() override { ++needsUpdate; }
};

struct AutomationCall {
    YAudioPlugin* plugin;
    int32_t hostIndex;
    double value;
};

// Records what the adapters send out instead of passing it to a host.
class RecordingPlugin : public YAudioPlugin {
public:
    void AutomateParameter(int32_t hostIndex, double value) override {
        sent.push_back({this, hostIndex, value});
    }
    std::vector<AutomationCall> sent;
};

class AdapterTest : public testing::Test {
protected:
    std::unique_ptr<YAudioPluginAutomationAdapter> Make(PluginParameter& record, int32_t index = 3,
                                                        uint64_t target = 0, YString context = YString()) {
        ParameterAdapterSetup setup;
        setup.Owner = &owner;
        setup.Record = &record;
        setup.Index = index;
        setup.AutomationTarget = target;
        setup.ContextLabel = std::move(context);
        return CreateParameterAdapter(setup);
    }

    RecordingOwner owner;
    RecordingPlugin recorder;
    YAudioPlugin* plugin = &recorder;
    std::vector<AutomationCall>& sent = recorder.sent;
};

std::string Str(const YString& s) { return s.ToUTF8(); }

} // namespace

TEST_F(AdapterTest, CreatesOneAdapterPerPublishedKind) {
    uint8_t groupState = 0;
    struct Case {
        ParameterKind kind;
        int32_t type; // 0: no adapter
    } cases[] = {
        {kParameterNone, 0}, {kParameterFloat, 1}, {kParameterInteger, 2}, {kParameterEnum, 3},
        {kParameterBool, 4}, {kParameterGroup, 4}, {kParameterNoneAlt, 0},
    };
    for (const Case& c : cases) {
        PluginParameter record;
        record.Kind = c.kind;
        record.Enum.Names = kModeNames;
        record.Enum.Count = 3;
        record.Group.State = &groupState;
        auto adapter = Make(record);
        if (c.type == 0) {
            EXPECT_EQ(adapter, nullptr) << "kind " << c.kind;
        } else {
            ASSERT_NE(adapter, nullptr) << "kind " << c.kind;
            EXPECT_EQ(adapter->GetParameterType(0), c.type) << "kind " << c.kind;
            EXPECT_EQ(adapter->IndexCount(), 1);
        }
    }
    PluginParameter hidden;
    hidden.DefineFloat("x", "X", 0, 1, 0);
    hidden.SetFlagA(PluginParameter::kPublish, false);
    EXPECT_EQ(Make(hidden), nullptr);
}

TEST_F(AdapterTest, UnknownKindIsAnError) {
    for (uint32_t kind : {8u, 42u, 0xFFFFFFFFu}) {
        PluginParameter record;
        record.Kind = static_cast<ParameterKind>(kind);
        try {
            Make(record);
            ADD_FAILURE() << "no error for kind " << kind;
        } catch (const YException& e) {
            EXPECT_EQ(Str(e.Message()), "Invalid plugin parameter type.");
        }
    }
    PluginParameter special;
    special.DefineSpecial("shape", "Shape", nullptr);
    EXPECT_THROW(Make(special), YException);
}

namespace {

struct Shape {
    int writes = 0;
};

class ShapeAdapter : public ParameterSpecialBase<Shape, void> {
public:
    using ParameterSpecialBase::ParameterSpecialBase;
    void SetParameter(int32_t local, double, bool silent) override {
        ++SpecialObject().writes;
        if (!silent) NotifyChanged(local);
    }
};

struct ShapeObject : YParameterSpecialObject {
    Shape shape;
    std::unique_ptr<ParameterSpecialMainBase>
    CreateParameterAdapter(const ParameterAdapterSetup& setup) override {
        auto adapter = std::make_unique<ShapeAdapter>(setup, shape);
        adapter->SetIndexCount(4);
        return adapter;
    }
};

} // namespace

TEST_F(AdapterTest, SpecialRecordsGetTheirObjectsAdapter) {
    ShapeObject object;
    PluginParameter record;
    record.DefineSpecial("shape", "Shape", &object);
    record.LabelA = "ignored";
    auto adapter = Make(record, 16, 0, "Context");
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->IndexCount(), 4);
    EXPECT_EQ(adapter->GetParameterType(0), 1);
    adapter->SetParameter(2, 0.3, false);
    EXPECT_EQ(object.shape.writes, 1);
    EXPECT_EQ(owner.changed, std::vector<int32_t>{16});
    YString text;
    adapter->GetParameterName(text, 0);
    EXPECT_EQ(Str(text), "Shape");
    adapter->SetBaseLabel("Base");
    adapter->GetParameterFullLabel(text, 0);
    EXPECT_EQ(Str(text), "Base"); // only the base label
}

TEST_F(AdapterTest, HostWritesNotifyTheOwner) {
    PluginParameter depth;
    depth.DefineFloat("Depth", "Depth", -2, 2, 1);
    PluginParameter range;
    range.DefineFloat("Range2", "Range", 0, 0.01, 0.0008, kShapeSquare);
    depth.SetFlagA(PluginParameter::kMarkOwner, false);
    auto a = Make(depth, 1);
    auto b = Make(range, 2);

    a->SetParameter(0, 0.75, false);
    EXPECT_EQ(depth.Float.Value, 1.0);
    EXPECT_EQ(owner.changed, std::vector<int32_t>{1});
    EXPECT_EQ(owner.needsUpdate, 0);

    b->SetParameter(0, 0.5, false);
    EXPECT_NEAR(range.Float.Value, 0.0025, 1e-15);
    EXPECT_EQ(owner.changed, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(owner.needsUpdate, 1);

    b->SetParameter(0, 0.2, true); // silent: interpolation steps
    EXPECT_NEAR(range.Float.Value, 0.0004, 1e-15);
    EXPECT_EQ(owner.changed.size(), 2u);

    b->SetParameter(0, std::numeric_limits<double>::quiet_NaN(), false);
    EXPECT_NEAR(range.Float.Value, 0.0004, 1e-15);
    EXPECT_EQ(owner.changed.size(), 2u);
    EXPECT_TRUE(sent.empty()); // no automation target
}

TEST_F(AdapterTest, SetParameterIfChangedSkipsEchoes) {
    PluginParameter p;
    p.DefineFloat("f", "F", 0, 1, 0.25);
    auto a = Make(p);
    a->SetParameterIfChanged(0, 0.25, false);
    EXPECT_TRUE(owner.changed.empty());
    a->SetParameterIfChanged(0, 0.5, false);
    EXPECT_EQ(owner.changed.size(), 1u);
    EXPECT_EQ(p.Float.Value, 0.5);
}

TEST_F(AdapterTest, AutomationTargetEchoesWritesToTheHost) {
    PluginParameter p;
    p.DefineEnum("Mode", "Mode", kModeNames, 3, 0);
    auto a = Make(p, 0, 1);
    a->SetFirstIndex(7);
    a->SetParameter(0, 0.5, false); // no plug-in yet: nothing goes out
    EXPECT_TRUE(sent.empty());
    a->SetPlugin(plugin);
    a->SetParameter(0, 1.0, false);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].plugin, plugin);
    EXPECT_EQ(sent[0].hostIndex, 7);
    EXPECT_EQ(sent[0].value, 1.0);
    a->SetParameter(0, 0.0, true);
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(AdapterTest, SendAutomationForms) {
    PluginParameter p;
    p.DefineFloat("f", "F", 0, 1, 0.25);
    auto a = Make(p);
    a->SetFirstIndex(10);
    a->SendAutomationValueWithChange(0, 0.0);
    EXPECT_TRUE(sent.empty());

    a->SetPlugin(plugin);
    a->SendAutomationValueWithChange(0, 0.0);
    a->SendAutomationValueWithChange(0, 0.5);
    a->SendAutomation(0);
    a->SendAllAutomation();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0].value, 1e-10);
    EXPECT_EQ(sent[1].value, 0.0);
    EXPECT_EQ(sent[2].value, 0.5 - 1e-10);
    EXPECT_EQ(sent[3].value, 0.5);
    EXPECT_EQ(sent[4].value, 0.25);
    EXPECT_EQ(sent[5].value, 0.25);
    for (const AutomationCall& c : sent) EXPECT_EQ(c.hostIndex, 10);
}

TEST_F(AdapterTest, NamesAndLabels) {
    struct Case {
        const char *a, *b, *joined;
    } joins[] = {{"", "", ""}, {"x", "", "x"}, {"", "y", "y"}, {"x", "y", "x - y"}};
    for (const Case& c : joins)
        EXPECT_EQ(
            Str(YAudioPluginAutomationAdapter::JoinLabels(YString::FromUTF8(c.a), YString::FromUTF8(c.b))),
            c.joined);

    PluginParameter p;
    p.DefineFloat("phasediff", "Phase difference", -1, 1, 0);
    p.LabelA = "A";
    p.LabelB = "B";
    p.OwnerTag = 99;
    auto a = Make(p, 5, 0, "LFO");
    auto& base = static_cast<ParameterMainBase&>(*a);
    EXPECT_EQ(Str(base.Label()), "B - A");
    EXPECT_EQ(base.OwnerTag(), 99u);
    EXPECT_EQ(base.Index(), 5);
    YString text;
    a->GetParameterName(text, 0);
    EXPECT_EQ(Str(text), "Phase difference");
    a->GetParameterShortName(text, 0);
    EXPECT_EQ(Str(text), "Phase difference");
    a->GetParameterFullLabel(text, 0);
    EXPECT_EQ(Str(text), "B - A - LFO");
    a->SetBaseLabel("Main");
    a->GetParameterFullLabel(text, 0);
    EXPECT_EQ(Str(text), "Main - B - A - LFO");
    a->GetParameterUnitsName(text, 0);
    EXPECT_EQ(Str(text), "");
}

TEST_F(AdapterTest, ValueTextsAndParsing) {
    PluginParameter depth;
    depth.DefineFloat("Depth", "Depth", -2, 2, 1);
    depth.TextFunction = ParameterTextDryWet;
    auto a = Make(depth);
    YString text;
    a->GetParameterValueName(text, 0);
    EXPECT_EQ(Str(text), "100% wet, 100% dry");
    a->GetParameterValueNameFrom01(text, 0, 1.0);
    EXPECT_EQ(Str(text), "100% wet, 0% dry");
    EXPECT_EQ(depth.Float.Value, 1.0); // the live record is untouched
    EXPECT_DOUBLE_EQ(a->ParseParameterValueName(0, "-50"), 0.375);
    EXPECT_EQ(depth.Float.Value, -0.5); // a text function parses into the record

    PluginParameter mode;
    mode.DefineEnum("Mode", "Mode", kModeNames, 3, 0);
    auto m = Make(mode);
    EXPECT_EQ(m->ParseParameterValueName(0, "Tape"), 0.5);
    EXPECT_EQ(m->ParseParameterValueName(0, "Flange"), 0.0);
    m->GetParameterValueNameFrom01(text, 0, 0.83);
    EXPECT_EQ(Str(text), "Tape 2");
    m->GetParameterValueNameFrom01(text, 0, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(Str(text), "Default");

    PluginParameter sw;
    sw.DefineBool("b", "B", false);
    auto s = Make(sw);
    s->GetParameterValueNameFrom01(text, 0, 0.5);
    EXPECT_EQ(Str(text), "On");
    EXPECT_EQ(sw.Bool.Value, 0);
}

TEST_F(AdapterTest, HoldLandsInTheShadowAndTextFollowsTheAskedValue) {
    PluginParameter p;
    p.DefineFloat("Delay", "Delay", 0, 0.02, 0);
    p.TextFunction = ParameterTextTime;
    p.SetFlagA(PluginParameter::kInterpolable, true);
    auto a = Make(p);
    EXPECT_TRUE(a->IsInterpolable(0));
    a->SetHold(0, true);
    a->SetParameter(0, 0.5, true);
    EXPECT_EQ(p.Float.Value, 0.0);
    EXPECT_EQ(p.Float.Shadow, 0.01);
    EXPECT_EQ(a->GetParameter(0), 0.0);
    YString text;
    a->GetParameterValueNameFrom01(text, 0, 0.25);
    EXPECT_EQ(Str(text), "5.0 ms");
    a->SetHold(0, false);
    EXPECT_FALSE(p.IsHeld());
}

TEST_F(AdapterTest, DefaultsAndFlags) {
    PluginParameter range;
    range.DefineFloat("Range2", "Range", 0, 0.01, 0.0025, kShapeSquare);
    PluginParameter on;
    on.DefineBool("b", "B", true);
    PluginParameter minFreq;
    minFreq.DefineFloat("MinFreq", "Min frequency", 1.3010299956639813, 4.301029995663981,
                        1.6020599913279625);
    minFreq.SetFlagA(PluginParameter::kRandomizable, false);
    EXPECT_NEAR(Make(range)->GetParameterDefaultValue(0), 0.5, 1e-12);
    EXPECT_EQ(Make(on)->GetParameterDefaultValue(0), 1.0);
    auto f = Make(minFreq);
    EXPECT_FALSE(f->IsRandomizable());
    EXPECT_FALSE(f->IsInterpolable(0));
    EXPECT_TRUE(Make(range)->IsRandomizable());
}

TEST_F(AdapterTest, RandomizeThroughTheAdapter) {
    PluginParameter p;
    p.DefineInteger("i", "I", 0, 10, 5);
    auto a = Make(p);
    YSharedRandom::Seed(1);
    a->Randomize(1.0);
    EXPECT_EQ(p.Int.Value, 0);          // 41 / 32767 of 10 rounds to 0
    EXPECT_TRUE(owner.changed.empty()); // randomising a table record is not a host write
}

TEST_F(AdapterTest, CustomBaseRandomisesThroughTheInterface) {
    PluginParameter p;
    p.DefineFloat("zoom", "Zoom", 0, 1, 0.5);
    ParameterAdapterSetup setup;
    setup.Owner = &owner;
    setup.Record = &p;
    setup.Index = 4;
    ParameterFloatT<ParameterBaseCustom> a(setup);

    YSharedRandom::Seed(1);
    a.Randomize(1.0);
    EXPECT_DOUBLE_EQ(p.Float.Value, 41 * (1.0 / 32767.0));
    EXPECT_EQ(owner.changed, std::vector<int32_t>{4});

    p.Float.Value = 0.5;
    a.Randomize(0.2); // r = 18467 / 32767
    EXPECT_DOUBLE_EQ(p.Float.Value, 0.5 + (18467 * (1.0 / 32767.0) - 0.5) * 0.4);

    p.SetFlagA(PluginParameter::kRandomizable, false);
    a.Randomize(1.0);
    EXPECT_DOUBLE_EQ(p.Float.Value, 0.5 + (18467 * (1.0 / 32767.0) - 0.5) * 0.4);
    a.Randomize(1.0, true);
    EXPECT_DOUBLE_EQ(p.Float.Value, 6334 * (1.0 / 32767.0));
}

TEST_F(AdapterTest, GroupSwitchDrivesItsExternalByte) {
    uint8_t enabled = 0;
    PluginParameter p;
    p.DefineGroup("sync", "Synchronization", &enabled);
    auto a = Make(p);
    a->SetParameter(0, 0.6, false);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(a->GetParameter(0), 1.0);
    YString text;
    a->GetParameterValueName(text, 0);
    EXPECT_EQ(Str(text), "On");
    // A host's reset to the default must leave the panel as it was defined (off), which the
    // middle value 0.5 would not: it reads as on.
    EXPECT_EQ(a->GetParameterDefaultValue(0), 0.0);
    uint8_t enabledAtStart = 1;
    PluginParameter q;
    q.DefineGroup("sync", "Synchronization", &enabledAtStart);
    EXPECT_EQ(Make(q)->GetParameterDefaultValue(0), 1.0);
    a->GetParameterValueNameFrom01(text, 0, 0.0);
    EXPECT_EQ(Str(text), "Off");
    EXPECT_EQ(enabled, 1); // asking for a text does not switch the panel
}
