#include "presets/YPresetTransfer.h"

#include "PresetTestSupport.h"
#include "core/StateTestSupport.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YException.h"
#include "presets/YPresetTree.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using presets_test::Compact;

namespace {
// Two continuous parameters of linear shape (Depth and Feedback), whose host values survive
// the state's text exactly enough for a tight comparison.
constexpr int32_t kDepth = 1;
constexpr int32_t kFeedback = 3;

struct YPresetTransferTest : frametest::OwnConfigurationTest {
    YPresetTransferTest() : frametest::OwnConfigurationTest("vornik-preset-transfer-") {}

    void SetUp() override {
        frametest::OwnConfigurationTest::SetUp();
        plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
        ASSERT_NE(plugin, nullptr);
        ASSERT_GE(plugin->GetParameterCount(), 4);
    }

    // The whole state as a tree, to compare everything the preset carries.
    std::string State() { return Compact(*frametest::Decode(frametest::Save(*plugin))); }

    std::unique_ptr<YQuenlorAudioEffectPlugin> plugin;
    YPresetTree tree;
};
} // namespace

TEST_F(YPresetTransferTest, AStoredPresetBringsBackEverySetting) {
    plugin->SetParameter(kDepth, 0.2);
    plugin->SetParameter(kFeedback, 0.7);
    const std::string stored = State();
    YXMLItem& preset = YPresetTransfer::StorePreset(tree.TopFolder(), "Mine", *plugin);
    EXPECT_EQ(YPresetTree::ItemName(preset).ToUTF8(), "Mine");

    plugin->SetParameter(kDepth, 0.9);
    plugin->SetParameter(kFeedback, 0.1);
    ASSERT_NE(State(), stored);
    YPresetTransfer::ApplyPreset(preset, *plugin);
    EXPECT_NEAR(plugin->GetParameter(kDepth), 0.2, 1e-9);
    EXPECT_NEAR(plugin->GetParameter(kFeedback), 0.7, 1e-9);
    EXPECT_EQ(State(), stored);

    // Storing again under the same name replaces the content in place.
    plugin->SetParameter(kDepth, 0.4);
    EXPECT_EQ(&YPresetTransfer::StorePreset(tree.TopFolder(), "Mine", *plugin), &preset);
    EXPECT_EQ(tree.Presets().size(), 1u);
}

// The same settings in each form a file may hold apply to the same state.
TEST_F(YPresetTransferTest, EveryFormOfTheContentAppliesIdentically) {
    plugin->SetParameter(kDepth, 0.3);
    const std::string expected = State();
    auto settings = frametest::Decode(frametest::Save(*plugin));

    YXMLItem& compressed = YPresetTree::StorePreset(tree.TopFolder(), "compressed", *settings);
    YXMLItem& inlineForm = tree.TopFolder().AddChild("preset");
    YPresetContent::CopyTree(*settings, inlineForm);
    inlineForm.SetAttribute("name", "inline");
    YXMLItem& plain = tree.TopFolder().AddChild("preset");
    plain.SetAttribute("name", "plain");
    YMemoryStream text;
    settings->Save(text, "utf-8", true);
    plain.SetAttribute("compressed", YPresetContent::EncodeHex(text.GetData(), static_cast<size_t>(text.GetSize())));

    for (YXMLItem* preset : {&compressed, &inlineForm, &plain}) {
        SCOPED_TRACE(YPresetTree::ItemName(*preset).ToUTF8());
        plugin->SetParameter(kDepth, 0.95);
        YPresetTransfer::ApplyPreset(*preset, *plugin);
        EXPECT_EQ(State(), expected);
    }
    // Converting the inline preset changes nothing it applies.
    ASSERT_TRUE(YPresetContent::ConvertInline(inlineForm));
    plugin->SetParameter(kDepth, 0.95);
    YPresetTransfer::ApplyPreset(inlineForm, *plugin);
    EXPECT_EQ(State(), expected);
}

TEST_F(YPresetTransferTest, DamagedContentLeavesThePluginAsItWas) {
    plugin->SetParameter(kDepth, 0.6);
    const std::string before = State();
    const char* contents[] = {"78DA01", "3C7", "QQ", "3C73657474696E67733E"}; // last: "<settings>" unclosed
    for (const char* content : contents) {
        SCOPED_TRACE(content);
        YXMLItem preset("preset");
        preset.SetAttribute("name", "broken");
        preset.SetAttribute("compressed", YString::FromUTF8(content));
        EXPECT_THROW(YPresetTransfer::ApplyPreset(preset, *plugin), YException);
        EXPECT_EQ(State(), before);
    }
}
