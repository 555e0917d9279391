#include "presets/YPresetManagerBase.h"

#include "PresetManagerTestSupport.h"
#include "core/YGlobalConfiguration.h"
#include "foundation/YException.h"
#include "presets/YActivePresets.h"
#include "presets/YPresetExport.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

using namespace presets_test;
using Address = YPresetManagerBase::Address;

namespace {

struct NavigationCase {
    int32_t current;
    int32_t step;
    int32_t expected;
};

class YPresetManagerNavigation : public PresetManagerTest, public ::testing::WithParamInterface<NavigationCase> {};

} // namespace

TEST_P(YPresetManagerNavigation, StepsThroughTheWholeTreeAndWraps) {
    const NavigationCase c = GetParam();
    AddFivePresets();
    plugin->SetCurrentPresetIndex(c.current);
    plugin->SetParameter(depth, 0.9);
    ASSERT_TRUE(manager->StepPreset(c.step));
    EXPECT_EQ(plugin->CurrentPresetIndex(), c.expected);
    EXPECT_NEAR(plugin->GetParameter(depth), DepthOfIndex(c.expected), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, YPresetManagerNavigation,
    ::testing::Values(NavigationCase{0, -1, 4}, // previous from the first wraps to the last
                      NavigationCase{4, 1, 0},  // next from the last wraps to the first
                      NavigationCase{1, 1, 2},  // into a nested folder, depth first
                      NavigationCase{3, -1, 2}, // back out of it
                      NavigationCase{7, 1, 3},  // an index a larger tree left behind
                      NavigationCase{-3, -1, 1} // a negative stored index
                      ));

TEST_F(PresetManagerTest, AnEmptyTreeStepsNowhere) {
    plugin->SetCurrentPresetIndex(2);
    plugin->SetParameter(depth, 0.7);
    EXPECT_EQ(manager->PresetCount(), 0);
    EXPECT_FALSE(manager->NextPreset());
    EXPECT_FALSE(manager->PreviousPreset());
    EXPECT_FALSE(manager->LoadRandomPreset());
    EXPECT_EQ(plugin->CurrentPresetIndex(), 2);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.7, 1e-9);
}

TEST_F(PresetManagerTest, ALoadedPresetBecomesCurrentWhateverIndexItWasStoredWith) {
    plugin->SetCurrentPresetIndex(3); // stored inside every preset below
    AddFivePresets();
    manager->LoadPresetCommand({1, 0}); // P1
    EXPECT_EQ(plugin->CurrentPresetIndex(), 1);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.2, 1e-9);

    // A preset from elsewhere leaves the index where it is.
    YPresetTree other;
    YXMLItem& foreign = AddPreset(other.TopFolder(), "Foreign", 0.65);
    manager->LoadPreset(foreign);
    EXPECT_EQ(plugin->CurrentPresetIndex(), 1);
    EXPECT_NEAR(plugin->GetParameter(depth), 0.65, 1e-9);

    // The index travels with the state.
    const std::vector<uint8_t> state = frametest::Save(*plugin);
    auto second = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(second->LoadState(state.data(), state.size()));
    EXPECT_EQ(second->CurrentPresetIndex(), 1);
}

TEST_F(PresetManagerTest, ADamagedPresetRaisesAndChangesNothing) {
    AddFivePresets();
    YXMLItem& p2 = manager->ItemAt({1, 1, 0});
    p2.SetAttribute("compressed", "78DA0G");
    plugin->SetCurrentPresetIndex(1);
    plugin->SetParameter(depth, 0.8);
    const std::string before = Compact(*frametest::Decode(frametest::Save(*plugin)));
    EXPECT_THROW(manager->NextPreset(), YException);
    EXPECT_EQ(plugin->CurrentPresetIndex(), 1);
    EXPECT_EQ(Compact(*frametest::Decode(frametest::Save(*plugin))), before);
}

TEST_F(PresetManagerTest, AddressesOutsideTheTreeRaiseIndexOutOfRange) {
    AddFivePresets();
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"load past the last", [&] { manager->LoadPresetAt(5); }},
        {"load below the first", [&] { manager->LoadPresetAt(-1); }},
        {"child of a preset", [&] { manager->LoadPresetCommand({0, 0}); }},
        {"a folder as a preset", [&] { manager->DeletePreset({1}); }},
        {"a preset as a folder", [&] { manager->DeleteFolder({0}); }},
        {"past a folder's children", [&] { manager->RenameFolder({1, 3}); }},
        {"the top folder", [&] { manager->DeleteFolder({}); }},
        {"negative", [&] { manager->ReplacePreset({-1}); }},
        {"add into a preset", [&] { manager->AddFolder({2}); }},
    };
    const std::string before = OnDisk();
    for (const auto& [what, command] : commands) {
        EXPECT_EQ(RaisedMessage(command), "Index out of range.") << what;
    }
    EXPECT_TRUE(questions.asked.empty());
    EXPECT_EQ(OnDisk(), before);
}

namespace {

struct QuestionCase {
    const char* name;
    bool confirmations;
    bool answer;
    const char* question; // expected question, or nullptr when none is asked
    bool changes;
};

class YPresetManagerQuestions : public PresetManagerTest, public ::testing::WithParamInterface<QuestionCase> {};

} // namespace

TEST_P(YPresetManagerQuestions, DestructiveCommandsAskOnlyWhileConfirmationsAreOn) {
    const QuestionCase c = GetParam();
    AddFivePresets();
    // An export of P0 alone, to import over folder A.
    YPresetTree source;
    AddPreset(source.TopFolder(), "Imported", 0.77);
    const YString exported = scratch.File("one.ypresets");
    YPresetExport::Export(source.TopFolder(), exported);

    YGlobalConfiguration::Instance().SetConfirmationEnabled(c.confirmations);
    questions.confirm = c.answer;
    plugin->SetParameter(depth, 0.95);
    const std::string before = OnDisk();
    bool done = false;
    const std::string name = c.name;
    if (name == "delete folder") done = manager->DeleteFolder({1});
    if (name == "delete preset") done = manager->DeletePreset({1, 2});
    if (name == "replace preset") done = manager->ReplacePreset({2});
    if (name == "import") done = manager->ImportFolder({1}, exported);
    EXPECT_EQ(done, c.changes);

    if (c.question) {
        ASSERT_EQ(questions.asked.size(), 1u);
        EXPECT_EQ(questions.asked[0], c.question);
    } else {
        EXPECT_TRUE(questions.asked.empty());
    }
    const std::string after = OnDisk();
    if (!c.changes) {
        EXPECT_EQ(after, before);
        EXPECT_EQ(manager->PresetCount(), 5);
        return;
    }
    EXPECT_NE(after, before);
    // What each command did, as the file on disk shows it.
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    YPresetTree& tree = library.Tree();
    if (name == "delete folder") {
        // The folder went with its presets and its subfolder.
        EXPECT_EQ(tree.Presets().size(), 2u);
        EXPECT_EQ(YPresetTree::FindFolder(tree.TopFolder(), "A"), nullptr);
    }
    if (name == "delete preset") {
        EXPECT_EQ(tree.Presets().size(), 4u);
        EXPECT_EQ(YPresetTree::FindPreset(*tree.FindFolderPath({"A"}), "P3"), nullptr);
    }
    if (name == "replace preset") {
        // P4 holds the current settings now, in its place.
        ASSERT_EQ(tree.Presets().size(), 5u);
        EXPECT_TRUE(YPresetTree::ItemName(*tree.Presets()[4]) == YString("P4"));
        plugin->SetParameter(depth, 0.1);
        manager->ForgetTree();
        manager->LoadPresetAt(4);
        EXPECT_NEAR(plugin->GetParameter(depth), 0.95, 1e-9);
    }
    if (name == "import") {
        YXMLItem* a = tree.FindFolderPath({"A"});
        ASSERT_NE(a, nullptr);
        ASSERT_EQ(a->GetChildCount(), 1);
        EXPECT_TRUE(YPresetTree::ItemName(a->GetChildAt(0)) == YString("Imported"));
    }
}

constexpr const char* kDeleteFolder =
    "Are you sure you want to delete selected folder including all presets and subfolders?";
constexpr const char* kDeletePreset = "Are you sure you want to delete selected preset?";
constexpr const char* kReplace = "Are you sure you want to replace selected preset?";
constexpr const char* kImport = "This function will replace remove all presets in selected directory and replace "
                                "them with presets loaded from the file. Are you sure you want to continue?";

INSTANTIATE_TEST_SUITE_P(
    Cases, YPresetManagerQuestions,
    ::testing::Values(QuestionCase{"delete folder", true, true, kDeleteFolder, true},
                      QuestionCase{"delete folder", true, false, kDeleteFolder, false},
                      QuestionCase{"delete folder", false, false, nullptr, true},
                      QuestionCase{"delete preset", true, true, kDeletePreset, true},
                      QuestionCase{"delete preset", true, false, kDeletePreset, false},
                      QuestionCase{"delete preset", false, false, nullptr, true},
                      QuestionCase{"replace preset", true, true, kReplace, true},
                      QuestionCase{"replace preset", true, false, kReplace, false},
                      QuestionCase{"replace preset", false, false, nullptr, true},
                      QuestionCase{"import", true, true, kImport, true},
                      QuestionCase{"import", true, false, kImport, false},
                      QuestionCase{"import", false, false, nullptr, true}));

TEST_F(PresetManagerTest, WithoutAnyoneToAskDestructiveCommandsDoNothing) {
    AddFivePresets();
    manager->SetQuestions(nullptr);
    EXPECT_FALSE(manager->DeleteFolder({1}));
    EXPECT_FALSE(manager->AddFolder({}));
    EXPECT_EQ(manager->PresetCount(), 5);
    // With confirmations off nothing needs asking.
    YGlobalConfiguration::Instance().SetConfirmationEnabled(false);
    EXPECT_TRUE(manager->DeletePreset({0}));
    EXPECT_EQ(manager->PresetCount(), 4);
}

TEST_F(PresetManagerTest, FoldersAreAddedAndRenamedWithTheirPrompts) {
    AddFivePresets();
    Address added;
    ASSERT_TRUE(manager->AddFolder({}, &added));
    EXPECT_EQ(added, (Address{3}));
    ASSERT_TRUE(manager->AddFolder({}, &added)); // the proposal skips a name in use
    EXPECT_EQ(added, (Address{4}));
    EXPECT_EQ(questions.asked, (std::vector<std::string>{"Enter name of the new folder", "Enter name of the new folder"}));
    EXPECT_EQ(questions.proposals, (std::vector<std::string>{"New folder 1", "New folder 2"}));

    questions.text = "Zw\xC3\xB6lf <&\"'>\n";
    ASSERT_TRUE(manager->RenameFolder({3}));
    EXPECT_EQ(questions.asked.back(), "Enter new name of the folder");
    EXPECT_EQ(questions.proposals.back(), "New folder 1");

    questions.giveText = false; // cancelled: nothing changes
    const std::string before = OnDisk();
    EXPECT_FALSE(manager->AddFolder({1}));
    EXPECT_FALSE(manager->RenameFolder({1}));
    EXPECT_EQ(OnDisk(), before);

    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    const YXMLItem& top = library.Tree().TopFolder();
    ASSERT_EQ(top.GetChildCount(), 5);
    EXPECT_EQ(YPresetTree::ItemName(top.GetChildAt(3)).ToUTF8(), "Zw\xC3\xB6lf <&\"'>\n");
    EXPECT_EQ(YPresetTree::ItemName(top.GetChildAt(4)).ToUTF8(), "New folder 2");
}

TEST_F(PresetManagerTest, AddPresetStoresTheCurrentSettingsWhereTheyCanBeLoaded) {
    AddFivePresets();
    plugin->SetParameter(depth, 0.33);
    questions.text = "Mine";
    ASSERT_TRUE(manager->AddPreset({1, 1}));
    EXPECT_EQ(questions.asked.back(), "Enter name of the new preset");
    EXPECT_EQ(questions.proposals.back(), "New preset 1");
    plugin->SetParameter(depth, 0.9);
    manager->ForgetTree();
    ASSERT_EQ(manager->PresetCount(), 6);
    manager->LoadPresetAt(3); // P0, P1, P2, Mine, ...
    EXPECT_NEAR(plugin->GetParameter(depth), 0.33, 1e-9);
    EXPECT_EQ(plugin->CurrentPresetIndex(), 3);
}

TEST_F(PresetManagerTest, ARandomPresetIsOneOfTheTreeDrawnFromTheSharedState) {
    AddFivePresets();
    for (uint32_t seed : {1u, 77u, 4096u}) {
        YSharedRandom::Seed(seed);
        // The draw rule: (state >> 16) modulo the count, one step.
        const uint32_t state = seed * 214013u + 2531011u;
        const auto expected = static_cast<int32_t>((state >> 16) % 5u);
        ASSERT_TRUE(manager->LoadRandomPreset());
        EXPECT_EQ(plugin->CurrentPresetIndex(), expected) << seed;
        EXPECT_NEAR(plugin->GetParameter(depth), DepthOfIndex(expected), 1e-9) << seed;
    }
}

TEST_F(PresetManagerTest, AnotherInstancesChangesAreSeenAndNeverOverwritten) {
    AddFivePresets();
    auto other = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    Manager elsewhere(*other, scratch.Folder());
    ScriptedQuestions otherQuestions;
    otherQuestions.text = "Theirs";
    elsewhere.SetQuestions(&otherQuestions);
    ASSERT_EQ(manager->PresetCount(), 5);

    // Stepping follows the file: it goes through what the other instance added.
    ASSERT_TRUE(elsewhere.AddPreset({}));
    plugin->SetCurrentPresetIndex(4);
    ASSERT_TRUE(manager->NextPreset());
    EXPECT_EQ(plugin->CurrentPresetIndex(), 5);

    // While this instance asks about P4, the other deletes it: the position now holds the
    // other's preset, so the deletion is refused instead of hitting an item the user never chose.
    questions.whileAsking = [&] { ASSERT_TRUE(elsewhere.DeletePreset({2})); };
    EXPECT_EQ(RaisedMessage([&] { manager->DeletePreset({2}); }), "Index out of range.");
    YPresetLibrary library(scratch.Folder(), "Vornik");
    library.Load();
    EXPECT_EQ(library.Tree().Presets().size(), 5u);
    EXPECT_NE(YPresetTree::FindPreset(library.Tree().TopFolder(), "Theirs"), nullptr);
    EXPECT_EQ(YPresetTree::FindPreset(library.Tree().TopFolder(), "P4"), nullptr);
}

TEST_F(PresetManagerTest, AnActivePresetIsAppliedAndRememberedWithTheEditorsMode) {
    WriteAll(scratch.Path("Vornikpresets.active"),
             "<ActivePresets NamePrefix=\"Active: \">"
             "<preset Name=\"Wide\" parameterDepth=\"1.5\"/>"
             "<preset Name=\"Narrow\" parameterDepth=\"-0.5\"/></ActivePresets>");
    const YActivePresetFileLoader loader(scratch.Folder());
    auto withActive = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500,
                                                        100, nullptr, &loader);
    ASSERT_NE(withActive, nullptr);
    Manager active(*withActive, scratch.Folder());
    ASSERT_EQ(active.ActivePresetCount(), 2);
    EXPECT_EQ(manager->ActivePresetCount(), 0); // the fixture's plug-in has none

    withActive->SetCurrentPresetIndex(3);
    active.SetActivePresetEditMode(true);
    active.SelectActivePreset(1);
    EXPECT_NEAR(withActive->GetParameter(depth), (-0.5 + 2.0) / 4.0, 1e-9);
    EXPECT_EQ(withActive->CurrentActivePreset(), 1);
    EXPECT_TRUE(withActive->ActivePresetEdit());
    EXPECT_EQ(withActive->CurrentPresetIndex(), 3);

    active.SetActivePresetEditMode(false);
    EXPECT_FALSE(withActive->ActivePresetEdit());
    EXPECT_EQ(withActive->CurrentActivePreset(), 1);
    for (int32_t outside : {-1, 2})
        EXPECT_EQ(RaisedMessage([&] { active.SelectActivePreset(outside); }), "Index out of range.") << outside;
    EXPECT_EQ(RaisedMessage([&] { manager->SelectActivePreset(0); }), "Index out of range.");

    // Both travel with the state.
    const std::vector<uint8_t> state = frametest::Save(*withActive);
    ASSERT_TRUE(plugin->LoadState(state.data(), state.size()));
    EXPECT_EQ(plugin->CurrentActivePreset(), 1);
    EXPECT_FALSE(plugin->ActivePresetEdit());
}

// Active presets are a list of their own: stepping and "CurrentPresetIndex" cover the library
// alone, and choosing an active preset, even one that carries an index, leaves the place in
// the library where it was.
TEST_F(PresetManagerTest, StepsCoverTheLibraryAloneBesideActivePresets) {
    AddFivePresets();
    WriteAll(scratch.Path("Vornikpresets.active"),
             "<ActivePresets NamePrefix=\"Active: \">"
             "<preset Name=\"Wide\" parameterDepth=\"1.5\" CurrentPresetIndex=\"2\"/>"
             "<preset Name=\"Narrow\" parameterDepth=\"-0.5\"/></ActivePresets>");
    const YActivePresetFileLoader loader(scratch.Folder());
    auto withActive = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500,
                                                        100, nullptr, &loader);
    ASSERT_NE(withActive, nullptr);
    Manager active(*withActive, scratch.Folder());
    ASSERT_EQ(active.ActivePresetCount(), 2);
    EXPECT_EQ(active.PresetCount(), 5);

    withActive->SetCurrentPresetIndex(0);
    ASSERT_TRUE(active.PreviousPreset()); // wraps to the library's last, not to an active preset
    EXPECT_EQ(withActive->CurrentPresetIndex(), 4);
    EXPECT_NEAR(withActive->GetParameter(depth), DepthOfIndex(4), 1e-9);

    active.SelectActivePreset(0);
    EXPECT_NEAR(withActive->GetParameter(depth), (1.5 + 2.0) / 4.0, 1e-9);
    EXPECT_EQ(withActive->CurrentPresetIndex(), 4);

    ASSERT_TRUE(active.NextPreset()); // on from the library's place: wraps to the first
    EXPECT_EQ(withActive->CurrentPresetIndex(), 0);
    EXPECT_NEAR(withActive->GetParameter(depth), DepthOfIndex(0), 1e-9);
    EXPECT_EQ(withActive->CurrentActivePreset(), 0) << "a library preset keeps the active preset in use";
}
