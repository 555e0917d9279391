// Settings slots A to H, ABCD morphing between A to D, and the settings as text.
#include "core/YQuenlorAudioEffectPlugin.h"

#include "FrameTestSupport.h"
#include "StateTestSupport.h"
#include "core/YGlobalConfiguration.h"
#include "core/YUserQuestions.h"
#include "support/AllocationCounting.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLCopy.h"
#include "foundation/YXMLDocument.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace frametest;

namespace {

using Plugin = std::unique_ptr<YQuenlorAudioEffectPlugin>;
using P = VornikAudioEffectPlugin;

class SettingsSlotsTest : public OwnConfigurationTest {
protected:
    SettingsSlotsTest() : OwnConfigurationTest("vornik-slots-") {}

    static Plugin NewVornik() {
        return YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    }
};

// Answers every question as told and remembers what it heard.
class ScriptedQuestions : public YUserQuestions {
public:
    explicit ScriptedQuestions(bool answer = true) : m_answer(answer) {}
    bool Confirm(const YString& question) override {
        questions.push_back(question.ToUTF8());
        return m_answer;
    }
    bool AskText(const YString&, const YString&, YString&) override { return false; }
    void Tell(const YString& message) override { told.push_back(message.ToUTF8()); }

    std::vector<std::string> questions;
    std::vector<std::string> told;

private:
    bool m_answer;
};

PluginParameter& Record(YQuenlorAudioEffectPlugin& plugin, int32_t index) {
    return dynamic_cast<VornikAudioEffectPlugin*>(plugin.Effect())->Parameter(index);
}

void Set(YQuenlorAudioEffectPlugin& plugin, const char* name, double normalised) {
    const int32_t index = FindParameter(plugin, name);
    ASSERT_GE(index, 0) << name;
    plugin.SetParameter(index, normalised);
}

double Get(YQuenlorAudioEffectPlugin& plugin, const char* name) { return plugin.GetParameter(FindParameter(plugin, name)); }

std::string AttributeOf(const YXMLItem& item, const char* name) {
    const YString* value = item.FindAttribute(YString::FromUTF8(name));
    return value != nullptr ? value->ToUTF8() : std::string("(absent)");
}

std::string Text(const YXMLItem& item) {
    YXMLDocument document(item.GetName());
    YXMLCopyTree(item, document);
    YMemoryStream stream;
    document.Save(stream, "utf-8", true);
    return std::string(reinterpret_cast<const char*>(stream.GetData()), static_cast<size_t>(stream.GetSize()));
}

// The live settings as a slot would hold them: the state's root without the slot children.
std::unique_ptr<YXMLDocument> Live(YQuenlorAudioEffectPlugin& plugin) { return Decode(Save(plugin)); }

} // namespace

TEST_F(SettingsSlotsTest, EachSlotKeepsItsSettingsAcrossSwitchesAndAStateRoundTrip) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    // The instance-wide up-sampling stays whatever the slots hold.
    plugin->SetUpsamplingMode(1);
    const std::array<double, 8> depth = {0.05, 0.15, 0.3, 0.4, 0.55, 0.65, 0.8, 0.95};
    for (int32_t slot = 0; slot < 8; ++slot) {
        plugin->SelectSlot(slot);
        EXPECT_EQ(plugin->ActiveSlot(), slot);
        Set(*plugin, "Depth", depth[static_cast<size_t>(slot)]);
    }
    auto check = [&](YQuenlorAudioEffectPlugin& p, const char* when) {
        for (int32_t slot : {3, 0, 7, 5, 1, 6, 2, 4}) {
            p.SelectSlot(slot);
            EXPECT_NEAR(Get(p, "Depth"), depth[static_cast<size_t>(slot)], 1e-12) << when << " slot " << slot;
            EXPECT_EQ(p.UpsamplingMode(), 1) << when;
        }
    };
    check(*plugin, "switching");

    // Slot E (4) is active now; every slot, the active one and the up-sampling survive the state.
    Plugin reopened = NewVornik();
    ASSERT_TRUE(reopened);
    const std::vector<uint8_t> state = Save(*plugin);
    ASSERT_TRUE(reopened->LoadState(state.data(), state.size()));
    EXPECT_EQ(reopened->ActiveSlot(), 4);
    EXPECT_NEAR(Get(*reopened, "Depth"), depth[4], 1e-12);
    check(*reopened, "reopened");

    EXPECT_THROW(plugin->SelectSlot(8), YException);
    EXPECT_THROW(plugin->SelectSlot(-1), YException);
    EXPECT_EQ(plugin->ActiveSlot(), 4);
}

TEST_F(SettingsSlotsTest, CopyingOntoAnotherSlotStoresAndOntoTheActiveOneApplies) {
    struct Case {
        int32_t from, to;
        double liveAfter; // Depth (normalised) of the live settings afterwards
        double toAfter;   // Depth of slot `to` once it is selected
    };
    // Slot A is active with 0.2; B holds 0.6, C holds 0.9.
    const Case cases[] = {
        {0, 1, 0.2, 0.2}, // the live settings into another slot
        {1, 0, 0.6, 0.6}, // another slot onto the active one: heard at once
        {1, 2, 0.2, 0.6}, // between two inactive slots
        {0, 0, 0.2, 0.2}, // onto itself: nothing happens
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        Plugin plugin = NewVornik();
        ASSERT_TRUE(plugin);
        plugin->SelectSlot(1);
        Set(*plugin, "Depth", 0.6);
        plugin->SelectSlot(2);
        Set(*plugin, "Depth", 0.9);
        plugin->SelectSlot(0);
        Set(*plugin, "Depth", 0.2);

        plugin->CopySlot(c.from, c.to);
        EXPECT_EQ(plugin->ActiveSlot(), 0);
        EXPECT_NEAR(Get(*plugin, "Depth"), c.liveAfter, 1e-12);
        plugin->SelectSlot(c.to);
        EXPECT_NEAR(Get(*plugin, "Depth"), c.toAfter, 1e-12);
        // The source is untouched.
        plugin->SelectSlot(c.from);
        const double fromBefore = c.from == 0 ? 0.2 : (c.from == 1 ? 0.6 : 0.9);
        EXPECT_NEAR(Get(*plugin, "Depth"), c.from == c.to ? c.toAfter : fromBefore, 1e-12);
    }
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const std::vector<uint8_t> before = Save(*plugin);
    EXPECT_THROW(plugin->CopySlot(0, 8), YException);
    EXPECT_THROW(plugin->CopySlot(-1, 2), YException);
    EXPECT_EQ(Save(*plugin), before);
}

namespace {

// Four corner slots with distinct settings; slot E is active afterwards. Each corner's
// normalised values of the listed parameters are returned in corner order.
struct Corners {
    static constexpr std::array<const char*, 6> kNames = {"Depth", "Feedback", "Range", "Delay", "Mode", "Shape"};
    std::array<std::array<double, 6>, 4> values{};
};

Corners MakeCorners(YQuenlorAudioEffectPlugin& plugin) {
    // Depth, Feedback, Range (square shape), Delay (ramped by the frame), Mode (3 names), Shape.
    const double settings[4][6] = {
        {0.1, 0.2, 0.3, 0.0, 0.0, 0.0},
        {0.9, 0.4, 0.5, 0.6, 0.5, 2.0 / 15.0},
        {0.3, 0.8, 0.1, 0.2, 1.0, 5.0 / 15.0},
        {0.7, 0.6, 0.9, 1.0, 0.5, 9.0 / 15.0},
    };
    Corners corners;
    for (int32_t c = 0; c < 4; ++c) {
        plugin.SelectSlot(c);
        for (size_t n = 0; n < Corners::kNames.size(); ++n) {
            Set(plugin, Corners::kNames[n], settings[c][n]);
            corners.values[static_cast<size_t>(c)][n] = Get(plugin, Corners::kNames[n]);
        }
    }
    plugin.SelectSlot(4);
    return corners;
}

} // namespace

TEST_F(SettingsSlotsTest, AtEachCornerTheMorphGivesThatSlotsSettings) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    MakeCorners(*plugin);
    struct Case {
        double x, y;
        int32_t slot;
    };
    // Visited out of order, so every corner is reached from another one.
    const Case cases[] = {{1, 1, 3}, {0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "corner " << c.slot);
        plugin->SetMorphPosition(c.x, c.y);
        const std::unique_ptr<YXMLItem> corner = plugin->SlotTree(c.slot);
        ASSERT_TRUE(corner);
        const auto live = Live(*plugin);
        int32_t compared = 0;
        for (int32_t i = 0; i < corner->GetAttributeCount(); ++i) {
            const YXMLAttribute& attribute = corner->GetAttributeAt(i);
            if (attribute.name.ToUTF8().rfind("parameter", 0) != 0) continue;
            ++compared;
            EXPECT_EQ(AttributeOf(*live, attribute.name.ToUTF8().c_str()), attribute.value.ToUTF8())
                << attribute.name.ToUTF8();
        }
        EXPECT_GE(compared, 16);
        // The LFO with its shape and curves is the corner's own.
        ASSERT_NE(corner->FindChild("shape"), nullptr);
        ASSERT_NE(live->FindChild("shape"), nullptr);
        EXPECT_EQ(Text(*live->FindChild("shape")), Text(*corner->FindChild("shape")));
    }
}

TEST_F(SettingsSlotsTest, AtTheCentreContinuousValuesAreTheMeanAndSwitchesTakeCornerD) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const Corners corners = MakeCorners(*plugin);
    plugin->SetMorphPosition(0.5, 0.5);
    for (size_t n = 0; n < Corners::kNames.size(); ++n) {
        const std::string name = Corners::kNames[n];
        double mean = 0.0;
        for (const auto& corner : corners.values) mean += corner[n] / 4.0;
        // Mode is an enumeration and the LFO shape goes with the shape tree: a tie goes to D.
        const bool nearest = name == "Mode" || name == "Shape";
        EXPECT_NEAR(Get(*plugin, name.c_str()), nearest ? corners.values[3][n] : mean, 1e-9) << name;
    }
    // A quarter of the way from A: three quarters of A's weight, and A's switches.
    plugin->SetMorphPosition(0.25, 0.0);
    const double depth = 0.75 * corners.values[0][0] + 0.25 * corners.values[1][0];
    EXPECT_NEAR(Get(*plugin, "Depth"), depth, 1e-9);
    EXPECT_EQ(Get(*plugin, "Mode"), corners.values[0][4]);
    // Just past halfway towards B, B's mode and shape.
    plugin->SetMorphPosition(0.5, 0.0);
    EXPECT_EQ(Get(*plugin, "Mode"), corners.values[1][4]);
    EXPECT_NEAR(Get(*plugin, "Shape"), corners.values[1][5], 1e-12);
}

TEST_F(SettingsSlotsTest, TheMorphPositionAndTheCornersSurviveTheState) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const Corners corners = MakeCorners(*plugin);
    // Morphing while corner A is active changes what A would store.
    plugin->SelectSlot(0);
    plugin->SetMorphPosition(0.25, 0.75);
    ASSERT_TRUE(plugin->MorphChangedSettings());
    const std::vector<uint8_t> state = Save(*plugin);

    Plugin reopened = NewVornik();
    ASSERT_TRUE(reopened);
    ASSERT_TRUE(reopened->LoadState(state.data(), state.size()));
    EXPECT_EQ(reopened->MorphX(), 0.25);
    EXPECT_EQ(reopened->MorphY(), 0.75);
    EXPECT_TRUE(reopened->MorphChangedSettings());
    EXPECT_NEAR(Get(*reopened, "Depth"), Get(*plugin, "Depth"), 1e-12);
    // The morph goes on from the same four corners: corner A is still A as it was.
    reopened->SetMorphPosition(0.0, 0.0);
    EXPECT_NEAR(Get(*reopened, "Depth"), corners.values[0][0], 1e-12);
    reopened->SetMorphPosition(1.0, 1.0);
    EXPECT_NEAR(Get(*reopened, "Depth"), corners.values[3][0], 1e-12);
}

TEST_F(SettingsSlotsTest, AnAutomatedMorphGlidesAcrossTheBlockInRampSteps) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    const Corners corners = MakeCorners(*plugin);
    const int32_t morphX = plugin->MorphParameterIndex();
    ASSERT_EQ(plugin->GetParameterName(morphX), YString("Morph X"));
    ASSERT_EQ(plugin->GetParameterName(morphX + 1), YString("Morph Y"));
    // A first block takes the loaded values as the start.
    plugin->InterpolationPrepare(512);
    plugin->InterpolationFinish();

    // The host moves X from A to B between blocks.
    plugin->SetParameter(morphX, 1.0);
    ASSERT_TRUE(plugin->InterpolationPrepare(512));
    auto depth = [&] { return Record(*plugin, P::kDepth).EffectiveFloat(); };
    auto delay = [&] { return Record(*plugin, P::kDelay).EffectiveFloat(); };
    auto value = [&](int32_t index, double normalised) {
        PluginParameter copy = Record(*plugin, index);
        copy.SetHold(false);
        copy.SetNormalized(normalised);
        return copy.Float.Value;
    };
    const double depthA = value(P::kDepth, corners.values[0][0]), depthB = value(P::kDepth, corners.values[1][0]);
    const double delayA = value(P::kDelay, corners.values[0][3]), delayB = value(P::kDelay, corners.values[1][3]);
    // The block starts where the last one ended and moves an eighth of the way per sub-block.
    EXPECT_NEAR(depth(), depthA, 1e-9);
    EXPECT_NEAR(delay(), delayA, 1e-9);
    double lastDepth = depth(), lastDelay = delay();
    for (int step = 0; step < 7; ++step) {
        plugin->InterpolationProcess(64);
        EXPECT_NEAR(depth() - lastDepth, (depthB - depthA) / 8.0, 1e-9) << step;
        EXPECT_NEAR(delay() - lastDelay, (delayB - delayA) / 8.0, 1e-9) << step;
        lastDepth = depth();
        lastDelay = delay();
    }
    plugin->InterpolationFinish();
    EXPECT_NEAR(depth(), depthB, 1e-9);
    EXPECT_NEAR(delay(), delayB, 1e-9);
    // A host echoing the same value back does not mix again.
    Set(*plugin, "Depth", 0.5);
    plugin->SetParameter(morphX, 1.0);
    EXPECT_NEAR(Get(*plugin, "Depth"), 0.5, 1e-12);
}

TEST_F(SettingsSlotsTest, AutomatedMorphMovesAllocateNothingOnTheAudioPath) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    MakeCorners(*plugin);
    plugin->SelectSlot(0); // the first move also takes in the active corner
    Buffers block(2, 512);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t i = 0; i < block.frames; ++i)
            block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, i);
    block.Process(*plugin);
    const int32_t morphX = plugin->MorphParameterIndex();
    const double before = Get(*plugin, "Depth");
    const uint64_t allocations = AllocationCounting::Count();
    for (int step = 1; step <= 8; ++step) {
        plugin->SetParameter(morphX, step / 8.0);
        plugin->SetParameter(morphX + 1, 1.0 - step / 8.0);
        block.Process(*plugin);
    }
    EXPECT_EQ(AllocationCounting::Count(), allocations);
    EXPECT_NE(Get(*plugin, "Depth"), before);
    EXPECT_TRUE(plugin->MorphChangedSettings());
    // Crossing into B's quadrant leaves B's LFO waiting for the GUI side, which applies it once.
    EXPECT_TRUE(plugin->ApplyPendingMorphCorner());
    EXPECT_FALSE(plugin->ApplyPendingMorphCorner());
    EXPECT_EQ(Text(*Live(*plugin)->FindChild("shape")), Text(*plugin->SlotTree(1)->FindChild("shape")));
}

TEST_F(SettingsSlotsTest, TheCornerQuestionIsAskedOnlyWhenMorphingChangedAnActiveCorner) {
    struct Case {
        const char* what;
        int32_t active;     // slot active while morphing
        bool morph;         // whether the morph moved
        bool confirmations; // ConfirmationEnabled
        bool answer;
        bool asked;
        bool cornerKept;    // the active slot still holds its own settings afterwards
    };
    const Case cases[] = {
        {"yes keeps the corner", 1, true, true, true, true, true},
        {"no replaces the corner", 1, true, true, false, true, false},
        {"no confirmations replace it", 1, true, false, true, false, false},
        {"slot E is no corner", 4, true, true, true, false, false},
        {"no morph, no question", 1, false, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        YGlobalConfiguration::Instance().SetConfirmationEnabled(c.confirmations);
        Plugin plugin = NewVornik();
        ASSERT_TRUE(plugin);
        MakeCorners(*plugin);
        plugin->SelectSlot(c.active);
        const double own = Get(*plugin, "Depth");
        if (c.morph) plugin->SetMorphPosition(0.5, 0.5);
        else Set(*plugin, "Depth", 0.45);
        const double live = Get(*plugin, "Depth");

        ScriptedQuestions questions(c.answer);
        plugin->SelectSlot(6, &questions);
        EXPECT_EQ(plugin->ActiveSlot(), 6);
        ASSERT_EQ(questions.questions.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_NE(questions.questions[0].find("Preset B is currently selected"), std::string::npos);
        }

        plugin->SelectSlot(c.active);
        EXPECT_NEAR(Get(*plugin, "Depth"), c.cornerKept ? own : live, 1e-12);
        if (c.cornerKept) {
            // The morphed settings went to E instead.
            plugin->SelectSlot(4);
            EXPECT_NEAR(Get(*plugin, "Depth"), live, 1e-12);
        }
    }
    YGlobalConfiguration::Instance().SetConfirmationEnabled(true);
}

TEST_F(SettingsSlotsTest, AKeptCornerHoldsTheEditsMadeBeforeAnAutomatedMorph) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    MakeCorners(*plugin);
    plugin->SelectSlot(1);
    // Edited after the corners were last read, then morphed by the host (no GUI side involved).
    Set(*plugin, "Depth", 0.45);
    Set(*plugin, "Feedback", 0.05);
    plugin->SetParameter(plugin->MorphParameterIndex(), 0.3);
    ASSERT_TRUE(plugin->MorphChangedSettings());
    const double morphed = Get(*plugin, "Depth");
    ASSERT_GT(std::fabs(morphed - 0.45), 0.01);

    // The kept corner also survives a state round trip while it is still active.
    const std::vector<uint8_t> state = Save(*plugin);
    Plugin reopened = NewVornik();
    ASSERT_TRUE(reopened);
    ASSERT_TRUE(reopened->LoadState(state.data(), state.size()));
    for (YQuenlorAudioEffectPlugin* p : {plugin.get(), reopened.get()}) {
        ScriptedQuestions yes(true);
        p->SelectSlot(6, &yes);
        ASSERT_EQ(yes.questions.size(), 1u);
        p->SelectSlot(1);
        EXPECT_NEAR(Get(*p, "Depth"), 0.45, 1e-12);
        EXPECT_NEAR(Get(*p, "Feedback"), 0.05, 1e-12);
        p->SelectSlot(4);
        EXPECT_NEAR(Get(*p, "Depth"), morphed, 1e-12);
    }
}

TEST_F(SettingsSlotsTest, CopiedTextPastesTheSettingsIntoAnotherInstance) {
    Plugin source = NewVornik();
    Plugin target = NewVornik();
    ASSERT_TRUE(source && target);
    Set(*source, "Depth", 0.85);
    Set(*source, "Mode", 1.0);
    source->SetUpsamplingMode(2);
    source->SelectSlot(3);
    Set(*source, "Feedback", 0.1);
    const YString text = source->CopySettingsText();
    const std::string utf8 = text.ToUTF8();
    // Plain text a mail keeps: no slots, no up-sampling, no morph position.
    EXPECT_EQ(utf8.find("Preset0"), std::string::npos);
    EXPECT_EQ(utf8.find("upsampling"), std::string::npos);
    EXPECT_EQ(utf8.find("MorphX"), std::string::npos);
    EXPECT_NE(utf8.find("product=\"Vornik\""), std::string::npos);

    target->SelectSlot(5);
    const std::unique_ptr<YXMLItem> slotA = target->SlotTree(0);
    ScriptedQuestions questions;
    target->PasteSettingsText(text, &questions);
    EXPECT_TRUE(questions.told.empty());
    EXPECT_EQ(target->ActiveSlot(), 5);
    EXPECT_EQ(target->UpsamplingMode(), 0);
    EXPECT_NEAR(Get(*target, "Feedback"), Get(*source, "Feedback"), 1e-12);
    EXPECT_NEAR(Get(*target, "Depth"), Get(*source, "Depth"), 1e-12);
    EXPECT_EQ(Get(*target, "Mode"), Get(*source, "Mode"));
    EXPECT_EQ(Text(*target->SlotTree(0)), Text(*slotA));
}

TEST_F(SettingsSlotsTest, MalformedTextChangesNothingAndSaysWhy) {
    Plugin plugin = NewVornik();
    ASSERT_TRUE(plugin);
    Set(*plugin, "Depth", 0.3);
    const std::string good = plugin->CopySettingsText().ToUTF8();
    ASSERT_GT(good.size(), 100u);
    Plugin other = YQuenlorAudioEffectPlugin::Create("Other", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(other);
    Set(*plugin, "Depth", 0.7);

    struct Case {
        const char* what;
        std::string text;
        const char* reason; // a part of the message
    };
    const Case cases[] = {
        {"empty", "   ", "empty"},
        {"not XML", "Depth 70%, Feedback 10%", "not settings"},
        {"another root", "<presets product=\"Vornik\" parameterDepth=\"1\"/>", "root is \"presets\""},
        {"cut short", good.substr(0, good.size() / 2), "not settings"},
        {"cut at the end", good.substr(0, good.size() - 3), "not settings"},
        {"another product", other->CopySettingsText().ToUTF8(), "settings of Other"},
        {"no product", "<settings parameterDepth=\"1\"/>", "which product"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> before = Save(*plugin);
        ScriptedQuestions questions;
        std::string message;
        try {
            plugin->PasteSettingsText(YString::FromUTF8(c.text), &questions);
            ADD_FAILURE() << "pasted";
        } catch (const YException& e) {
            message = e.Message().ToUTF8();
        }
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        ASSERT_EQ(questions.told.size(), 1u);
        EXPECT_EQ(questions.told[0], message);
        EXPECT_EQ(Save(*plugin), before);
        // Without a questions object the paste still raises.
        EXPECT_THROW(plugin->PasteSettingsText(YString::FromUTF8(c.text)), YException);
    }
}
