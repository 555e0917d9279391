// Two instances' preset managers on one library: commands find their item in what the other
// instance wrote, and neither loses the other's work.
#include "presets/YPresetManagerBase.h"

#include "PresetManagerTestSupport.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>
#include <set>

using namespace presets_test;

namespace {
struct TwoManagers : PresetManagerTest {
    void SetUp() override {
        PresetManagerTest::SetUp();
        otherPlugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
        ASSERT_NE(otherPlugin, nullptr);
        other = std::make_unique<Manager>(*otherPlugin, scratch.Folder());
        other->SetQuestions(&otherQuestions);
    }

    static std::vector<std::string> Names(YPresetTree& tree) {
        std::vector<std::string> names;
        for (YXMLItem* preset : tree.Presets()) names.push_back(YPresetTree::ItemName(*preset).ToUTF8());
        return names;
    }
    std::vector<std::string> NamesOnDisk() {
        YPresetLibrary library(scratch.Folder(), "Vornik");
        library.Load();
        return Names(library.Tree());
    }

    std::unique_ptr<YQuenlorAudioEffectPlugin> otherPlugin;
    std::unique_ptr<Manager> other;
    ScriptedQuestions otherQuestions;
};
} // namespace

TEST_F(TwoManagers, PresetsAddedByBothAreKeptAndSeenByBoth) {
    AddFivePresets();
    EXPECT_EQ(other->PresetCount(), 5);
    EXPECT_EQ(manager->PresetCount(), 5);

    questions.text = "mine";
    otherQuestions.text = "theirs";
    ASSERT_TRUE(manager->AddPreset({}));
    ASSERT_TRUE(other->AddPreset({1})); // into folder A, whose address both still share
    const std::vector<std::string> expected{"P0", "P1", "P2", "P3", "theirs", "P4", "mine"};
    EXPECT_EQ(NamesOnDisk(), expected);
    // Stepping goes through the file as it is now, in both instances.
    plugin->SetCurrentPresetIndex(5);
    ASSERT_TRUE(manager->NextPreset());
    EXPECT_EQ(Names(manager->Library().Tree()), expected);
    EXPECT_EQ(plugin->CurrentPresetIndex(), 6) << "\"mine\", the seventh preset";
    other->FollowFile();
    EXPECT_EQ(other->PresetCount(), 7);
}

// The other instance's address was given before this one's change moved everything: the
// command still acts on the item the user picked, or refuses when it is gone.
TEST_F(TwoManagers, StaleAddressesFindTheirItemByNameOrRefuse) {
    AddFivePresets();
    ASSERT_EQ(other->PresetCount(), 5);
    questions.confirm = otherQuestions.confirm = true;
    ASSERT_TRUE(manager->DeletePreset({0})); // P0 goes: every top-level address shifts

    ASSERT_TRUE(other->DeletePreset({2})); // P4 as the other instance saw it
    EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"P1", "P2", "P3"}));

    ASSERT_TRUE(manager->DeleteFolder({0})); // folder A with P1 ... P3
    const std::string message = RaisedMessage([&] { other->DeletePreset({0, 2}); }); // P3, gone now
    EXPECT_EQ(message, "Index out of range.");
    EXPECT_TRUE(NamesOnDisk().empty());
}
