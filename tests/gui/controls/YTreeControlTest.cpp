// Tree controls driven by keys and the mouse: expanding and collapsing, moving through the
// visible rows, checks, children filled on first opening, and deep trees.
#include "ControlsFixture.h"

#include "foundation/YXMLItem.h"
#include "gui/controls/YTreeControl.h"

#include <string>

namespace {

class TreeTest : public ControlsFixture {
protected:
    // fruit (apple, pear (green, red)), vegetables (leek), empty
    YTreeControl* MakeTree() {
        auto* tree = Place(new YTreeControl(&root, "tree"), YRect::FromSize(10, 10, 200, 250));
        tree->SetItemHeight(20);
        YTreeItem* fruit = tree->Root().AddChild("fruit");
        fruit->AddChild("apple");
        YTreeItem* pear = fruit->AddChild("pear");
        pear->AddChild("green");
        pear->AddChild("red");
        tree->Root().AddChild("vegetables")->AddChild("leek");
        tree->Root().AddChild("empty");
        tree->ItemsChanged();
        tree->SetFocus();
        return tree;
    }
    // The visible rows, the selected one marked with '*'.
    static std::string Shown(YTreeControl& tree) {
        std::string out;
        for (YTreeItem* item : tree.Rows()) {
            if (!out.empty()) out += ' ';
            if (item == tree.Selected()) out += '*';
            out += item->text.ToUTF8();
        }
        return out;
    }
    YPoint TextPoint(YTreeControl& tree, int32_t row) {
        const YRect r = tree.RowRect(row);
        return {r.right - 10, r.top + r.Height() / 2};
    }
};

TEST_F(TreeTest, KeysExpandCollapseAndWalkTheVisibleRows) {
    YTreeControl* tree = MakeTree();
    EXPECT_EQ(Shown(*tree), "fruit vegetables empty");
    struct Step {
        uint32_t key;
        const char* shown;
    };
    const Step steps[] = {
        {YKey::kDown, "*fruit vegetables empty"},
        {YKey::kRight, "*fruit apple pear vegetables empty"},             // opens
        {YKey::kRight, "fruit *apple pear vegetables empty"},             // to the first child
        {YKey::kDown, "fruit apple *pear vegetables empty"},
        {YKey::kRight, "fruit apple *pear green red vegetables empty"},
        {YKey::kEnd, "fruit apple pear green red vegetables *empty"},
        {YKey::kRight, "fruit apple pear green red vegetables *empty"},   // nothing to open
        {YKey::kUp, "fruit apple pear green red *vegetables empty"},
        {YKey::kUp, "fruit apple pear green *red vegetables empty"},
        {YKey::kLeft, "fruit apple *pear green red vegetables empty"},    // to the parent
        {YKey::kLeft, "fruit apple *pear vegetables empty"},              // closes
        {YKey::kLeft, "*fruit apple pear vegetables empty"},
        {YKey::kLeft, "*fruit vegetables empty"},
        {YKey::kLeft, "*fruit vegetables empty"},                         // top level: stays
        {YKey::kHome, "*fruit vegetables empty"},
    };
    for (const Step& step : steps) {
        Key(step.key);
        EXPECT_EQ(Shown(*tree), step.shown) << "after key " << step.key;
    }
    // "*" opens everything below, "-" closes.
    Type("*");
    EXPECT_EQ(Shown(*tree), "*fruit apple pear green red vegetables empty");
    Type("-");
    EXPECT_EQ(Shown(*tree), "*fruit vegetables empty");
}

TEST_F(TreeTest, MouseTogglesByExpanderAndDoubleClickSelectsAndChecks) {
    YTreeControl* tree = MakeTree();
    YTreeItem* activated = nullptr;
    struct Listener : YEventTarget {
        YTreeItem** out;
        void Activated(YOnItemParams<YTreeItem*>& p) { *out = p.item; }
    } listener;
    listener.out = &activated;
    tree->OnItemActivate.Add<&Listener::Activated>(&listener);

    const YRect expander = tree->ExpanderRect(0);
    Click({expander.left + 3, expander.top + 3});
    EXPECT_EQ(Shown(*tree), "fruit apple pear vegetables empty"); // no selection by the expander
    EXPECT_TRUE(tree->ExpanderRect(1).IsEmpty());                   // a leaf has none
    Click(TextPoint(*tree, 2));
    EXPECT_EQ(Shown(*tree), "fruit apple *pear vegetables empty");
    DoubleClick(TextPoint(*tree, 2));
    EXPECT_EQ(Shown(*tree), "fruit apple *pear green red vegetables empty");
    EXPECT_EQ(activated, tree->Selected());
    Click({expander.left + 3, expander.top + 3}); // closing above the selection selects there
    EXPECT_EQ(Shown(*tree), "*fruit vegetables empty");

    tree->SetItemChecks(true);
    const YRect box = tree->CheckRect(1);
    Click({box.left + 2, box.top + 2});
    EXPECT_EQ(tree->Rows()[1]->check, YCheckBoxState::kOn);
    EXPECT_EQ(Shown(*tree), "*fruit vegetables empty");
    Key(YKey::kSpace);
    EXPECT_EQ(tree->Rows()[0]->check, YCheckBoxState::kOn);
}

TEST_F(TreeTest, ChildrenAreFilledOnFirstOpeningOnly) {
    auto* tree = Place(new YTreeControl(&root, "tree"), YRect::FromSize(0, 0, 200, 200));
    struct Filler : YEventTarget {
        int calls = 0;
        void Fill(YOnItemParams<YTreeItem*>& p) {
            ++calls;
            p.item->AddChild("child");
        }
    } filler;
    tree->OnItemFill.Add<&Filler::Fill>(&filler);
    YTreeItem* lazy = tree->Root().AddChild("lazy");
    lazy->mayHaveChildren = true;
    tree->ItemsChanged();
    tree->SetFocus();
    Key(YKey::kDown);
    EXPECT_EQ(filler.calls, 0);
    Key(YKey::kRight);
    EXPECT_EQ(filler.calls, 1);
    EXPECT_EQ(Shown(*tree), "*lazy child");
    Key(YKey::kLeft);
    Key(YKey::kRight);
    EXPECT_EQ(filler.calls, 1);
    EXPECT_EQ(Shown(*tree), "*lazy child");
}

TEST_F(TreeTest, ShowRootScrollingAndDeepTrees) {
    YTreeControl* tree = MakeTree();
    tree->Root().text = "all";
    tree->SetShowRoot(true);
    EXPECT_EQ(Shown(*tree), "all fruit vegetables empty");
    Key(YKey::kHome);
    Key(YKey::kLeft); // the shown root closes like any item
    EXPECT_EQ(Shown(*tree), "*all");

    // 10,000 levels: opening, walking and freeing do not recurse.
    auto* deep = Place(new YTreeControl(&root, "deep"), YRect::FromSize(0, 0, 200, 100));
    deep->SetItemHeight(20);
    YTreeItem* item = &deep->Root();
    for (int i = 0; i < 10000; ++i) item = item->AddChild("level");
    deep->ItemsChanged();
    deep->ExpandAll(deep->Root());
    EXPECT_EQ(deep->Rows().size(), 10000u);
    deep->SetFocus();
    Key(YKey::kEnd);
    EXPECT_EQ(deep->Selected(), item);
    EXPECT_EQ(deep->FirstVisibleRow(), 10000 - deep->VisibleRows());
    Mouse(YEventCode::kWheel, {20, 20}, 0, 240);
    EXPECT_EQ(deep->FirstVisibleRow(), 10000 - deep->VisibleRows() - 6);
    delete deep;
}

TEST_F(TreeTest, LoadsNestedItems) {
    YXMLItem element("treecontrol");
    element.SetAttribute("itemchecks", "1");
    YXMLItem& a = element.AddChild("item");
    a.SetAttribute("text", "a");
    a.SetAttribute("expanded", "1");
    YXMLItem& b = a.AddChild("item");
    b.SetAttribute("text", "b");
    b.SetAttribute("check", "grayed");
    element.AddChild("item").SetAttribute("text", "c");
    auto* tree = Place(new YTreeControl(&root), YRect::FromSize(0, 0, 200, 200));
    tree->Load(element);
    EXPECT_EQ(Shown(*tree), "a b c");
    EXPECT_EQ(tree->Rows()[1]->check, YCheckBoxState::kGrayed);
    EXPECT_TRUE(tree->HasItemChecks());
}

} // namespace
