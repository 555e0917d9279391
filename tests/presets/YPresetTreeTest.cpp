#include "presets/YPresetTree.h"

#include "PresetTestSupport.h"
#include "foundation/YException.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using presets_test::Compact;
using presets_test::SampleSettings;

namespace {
std::string Names(const std::vector<YXMLItem*>& presets) {
    std::string names;
    for (const YXMLItem* preset : presets) names += YPresetTree::ItemName(*preset).ToUTF8() + " ";
    return names;
}
} // namespace

TEST(YPresetTreeTest, PresetsAreListedDepthFirstInDocumentOrder) {
    YPresetTree tree;
    auto settings = SampleSettings();
    YXMLItem& top = tree.TopFolder();
    YPresetTree::StorePreset(top, "a", *settings);
    YXMLItem& jets = YPresetTree::AddFolder(top, "Jets");
    YPresetTree::StorePreset(jets, "b", *settings);
    YXMLItem& deep = YPresetTree::AddFolder(jets, "Deep");
    YPresetTree::StorePreset(deep, "c", *settings);
    YPresetTree::StorePreset(jets, "d", *settings);
    YPresetTree::AddFolder(top, "Empty");
    YPresetTree::StorePreset(top, "e", *settings);

    EXPECT_EQ(Names(tree.Presets()), "a b c d e ");
    EXPECT_EQ(Names(YPresetTree::PresetsIn(jets)), "b d ");
    EXPECT_EQ(tree.FindFolderPath({"Jets", "Deep"}), &deep);
    EXPECT_EQ(tree.FindFolderPath({"Deep"}), nullptr);
    EXPECT_TRUE(YPresetTree().Presets().empty());
}

TEST(YPresetTreeTest, StoringUnderAnExistingNameReplacesInPlace) {
    YPresetTree tree;
    YXMLItem& top = tree.TopFolder();
    YPresetTree::StorePreset(top, "one", *SampleSettings("0.1"));
    YPresetTree::StorePreset(top, "two", *SampleSettings("0.2"));
    YXMLItem& replaced = YPresetTree::StorePreset(top, "one", *SampleSettings("0.9"));

    EXPECT_EQ(Names(tree.Presets()), "one two ");
    EXPECT_EQ(&replaced, tree.Presets()[0]);
    EXPECT_EQ(Compact(*YPresetContent::Settings(replaced)), Compact(*SampleSettings("0.9")));
}

TEST(YPresetTreeTest, AssignedDocumentKeepsItsRootAndGainsATopFolder) {
    auto document = std::make_unique<YXMLDocument>(YString("Whatever"));
    YPresetTree tree;
    tree.Assign(std::move(document));
    EXPECT_EQ(tree.Document().GetName().ToUTF8(), "Whatever");
    EXPECT_TRUE(YPresetTree::IsFolder(tree.TopFolder()));
    EXPECT_EQ(&tree.TopFolder(), tree.Document().GetFirstChild());
}

TEST(YPresetTreeTest, ConvertsInlinePresetsInEveryFolder) {
    YPresetTree tree;
    auto settings = SampleSettings();
    YXMLItem& sub = YPresetTree::AddFolder(tree.TopFolder(), "Sub");
    for (YXMLItem* folder : {&tree.TopFolder(), &sub}) {
        YXMLItem& old = folder->AddChild("preset");
        YPresetContent::CopyTree(*settings, old);
        old.SetAttribute("name", "old");
    }
    YPresetTree::StorePreset(sub, "new", *settings);

    EXPECT_EQ(tree.ConvertInlinePresets(), 2);
    for (YXMLItem* preset : tree.Presets()) {
        EXPECT_FALSE(YPresetContent::IsInline(*preset));
        EXPECT_EQ(Compact(*YPresetContent::Settings(*preset)), Compact(*settings));
    }
    EXPECT_EQ(tree.ConvertInlinePresets(), 0);
}

// Keys name items by kind, name and rank among namesakes, so they survive changes around the
// item; a folder and a preset of one name are not mixed up.
TEST(YPresetTreeTest, KeysFindTheirItemAfterTheTreeAroundItChanged) {
    YPresetTree tree;
    YXMLItem& top = tree.TopFolder();
    YXMLItem& before = YPresetTree::AddFolder(top, "before");
    YXMLItem& topPreset = YPresetTree::StorePreset(top, "x", *SampleSettings("0.1"));
    YXMLItem& folder = YPresetTree::AddFolder(top, "x");
    YXMLItem& y = YPresetTree::StorePreset(folder, "y", *SampleSettings("0.2"));
    YXMLItem& first = YPresetTree::StorePreset(folder, "x", *SampleSettings("0.3"));
    YXMLItem& second = folder.AddChild("preset"); // a namesake, as an older file may hold
    second.SetAttribute("name", "x");
    second.SetAttribute("compressed", "00");

    const YPresetTree::Key key = tree.KeyOf(second);
    ASSERT_EQ(key.size(), 2u);
    EXPECT_TRUE(key[0].folder);
    EXPECT_EQ(key[0].ordinal, 0) << "the preset named x above it is of the other kind";
    EXPECT_FALSE(key[1].folder);
    EXPECT_EQ(key[1].ordinal, 1);
    EXPECT_EQ(tree.Find(key), &second);
    EXPECT_TRUE(tree.KeyOf(top).empty());
    EXPECT_EQ(tree.Find({}), &top);
    YXMLItem loose("preset");
    EXPECT_THROW(tree.KeyOf(loose), YException) << "not in this tree";

    // Everything before it removed, in its folder and above: positions moved, the key holds.
    top.RemoveChild(before);
    top.RemoveChild(topPreset);
    folder.RemoveChild(y);
    EXPECT_EQ(tree.Find(key), &second);

    // Its elder namesake gone, the rank it had no longer exists.
    folder.RemoveChild(first);
    EXPECT_EQ(tree.Find(key), nullptr);
    const YPresetTree::Key folderKey = tree.KeyOf(folder);
    top.RemoveChild(folder);
    EXPECT_EQ(tree.Find(folderKey), nullptr);
}
