// Menu bars and pop-up menus driven by keys and the mouse: opening, moving over items and
// between menus, submenus, choosing, closing, and where pop-ups go near the window's edges.
#include "ControlsFixture.h"

#include "foundation/YXMLItem.h"
#include "gui/controls/YEdit.h"
#include "gui/controls/YMenuBar.h"
#include "gui/toolkit/YStyle.h"

#include <vector>

namespace {

struct Chosen : YEventTarget {
    std::vector<int32_t> ids;
    void Menu(YOnMenuParams& p) { ids.push_back(p.command); }
};

class MenuTest : public ControlsFixture {
protected:
    // File (New 1, Open 2, -, Recent > (A 31, B 32), Quit 4 disabled, Exit 5), Edit (Copy 11, Paste 12)
    YMenuBar* MakeBar() {
        auto* bar = Place(new YMenuBar(&root, "bar"), YRect::FromSize(0, 0, 400, 24));
        YMenuItem& file = bar->Items().Add("File");
        file.Add("New", 1);
        file.Add("Open", 2);
        file.AddSeparator();
        YMenuItem& recent = file.Add("Recent");
        recent.Add("A", 31);
        recent.Add("B", 32);
        file.Add("Quit", 4).enabled = false;
        file.Add("Exit", 5);
        YMenuItem& edit = bar->Items().Add("Edit");
        edit.Add("Copy", 11);
        edit.Add("Paste", 12);
        bar->ItemsChanged();
        bar->OnMenu.Add<&Chosen::Menu>(&chosen);
        return bar;
    }
    YMenuLayer& Layer() { return YMenuLayer::Of(root); }
    YPoint Center(const YRect& r) { return {r.left + r.Width() / 2, r.top + r.Height() / 2}; }
    Chosen chosen;
};

TEST_F(MenuTest, KeysWalkTheMenuSkippingSeparatorsAndDisabledItemsAndChoose) {
    auto* edit = Place(new YEdit(&root, "edit"), YRect::FromSize(10, 100, 100, 24));
    edit->SetFocus();
    YMenuBar* bar = MakeBar();
    bar->SetFocus();
    Key(YKey::kDown); // opens File with its first item lit
    ASSERT_TRUE(Layer().IsOpen());
    YPopupMenu* file = Layer().TopMenu();
    EXPECT_EQ(file->Highlighted(), 0);
    Key(YKey::kDown);
    Key(YKey::kDown); // over the separator to Recent
    EXPECT_EQ(file->Highlighted(), 3);
    Key(YKey::kDown); // over the disabled Quit to Exit
    EXPECT_EQ(file->Highlighted(), 5);
    Key(YKey::kDown); // wraps to New
    EXPECT_EQ(file->Highlighted(), 0);
    Key(YKey::kUp);
    Key(YKey::kUp); // Exit, then over Quit to Recent
    EXPECT_EQ(file->Highlighted(), 3);
    Key(YKey::kRight); // opens Recent with A lit
    ASSERT_NE(file->SubMenu(), nullptr);
    EXPECT_EQ(Layer().DeepestMenu(), file->SubMenu());
    Key(YKey::kDown);
    Key(YKey::kReturn);
    EXPECT_EQ(chosen.ids, (std::vector<int32_t>{32}));
    EXPECT_FALSE(Layer().IsOpen());
    EXPECT_TRUE(bar->HasFocus()); // back where the focus was when the menu opened
    system.Pump();                // closed pop-ups go away once the events are over
    EXPECT_EQ(Layer().ChildCount(), 0);
}

TEST_F(MenuTest, LeftRightAndEscapeMoveBetweenLevelsAndMenus) {
    YMenuBar* bar = MakeBar();
    bar->SetFocus();
    Key(YKey::kReturn);
    Key(YKey::kRight); // New has no submenu: the next menu opens
    EXPECT_EQ(bar->OpenedTitle(), 1);
    Key(YKey::kRight); // wraps to File
    EXPECT_EQ(bar->OpenedTitle(), 0);
    Key(YKey::kLeft);
    EXPECT_EQ(bar->OpenedTitle(), 1);
    Key(YKey::kLeft);
    Key(YKey::kEnd);
    Key(YKey::kUp); // Recent
    Key(YKey::kRight);
    EXPECT_NE(Layer().TopMenu()->SubMenu(), nullptr);
    Key(YKey::kLeft); // back to File, Recent still lit
    EXPECT_EQ(Layer().DeepestMenu(), Layer().TopMenu());
    EXPECT_EQ(Layer().TopMenu()->Highlighted(), 3);
    EXPECT_EQ(bar->OpenedTitle(), 0);
    Key(YKey::kRight);
    Key(YKey::kEscape); // closes one level
    EXPECT_EQ(Layer().DeepestMenu(), Layer().TopMenu());
    Key(YKey::kEscape);
    EXPECT_FALSE(Layer().IsOpen());
    EXPECT_EQ(bar->OpenedTitle(), -1);
    EXPECT_TRUE(chosen.ids.empty());
    // A letter chooses the first item starting with it.
    Key(YKey::kDown);
    Type("e");
    EXPECT_EQ(chosen.ids, (std::vector<int32_t>{5}));
}

TEST_F(MenuTest, MouseOpensSwitchesChoosesAndClosesOutside) {
    YMenuBar* bar = MakeBar();
    Click(Center(bar->TitleRect(0)));
    ASSERT_TRUE(Layer().IsOpen());
    EXPECT_EQ(bar->OpenedTitle(), 0);
    // The pointer over the other title switches menus.
    Mouse(YEventCode::kMouseMove, Center(bar->TitleRect(1)));
    EXPECT_EQ(bar->OpenedTitle(), 1);
    YPopupMenu* edit = Layer().TopMenu();
    EXPECT_EQ(edit->Menu().children[0].id, 11);
    Mouse(YEventCode::kMouseMove, Center(edit->ItemRect(1)));
    EXPECT_EQ(edit->Highlighted(), 1);
    Click(Center(edit->ItemRect(1)));
    EXPECT_EQ(chosen.ids, (std::vector<int32_t>{12}));
    EXPECT_FALSE(Layer().IsOpen());

    // Press on a title, drag into the menu, release on an item.
    Mouse(YEventCode::kMouseMove, Center(bar->TitleRect(0)));
    Mouse(YEventCode::kLeftDown, Center(bar->TitleRect(0)), YEventFlag::kLeftButton);
    YPopupMenu* file = Layer().TopMenu();
    ASSERT_NE(file, nullptr);
    Mouse(YEventCode::kMouseMove, Center(file->ItemRect(1)), YEventFlag::kLeftButton);
    EXPECT_EQ(file->Highlighted(), 1);
    Mouse(YEventCode::kLeftUp, Center(file->ItemRect(1)));
    EXPECT_EQ(chosen.ids, (std::vector<int32_t>{12, 2}));

    // A disabled item and a separator choose nothing; a press outside closes.
    Click(Center(bar->TitleRect(0)));
    file = Layer().TopMenu();
    Click(Center(file->ItemRect(4)));
    Click(Center(file->ItemRect(2)));
    EXPECT_TRUE(Layer().IsOpen());
    Click({390, 290});
    EXPECT_FALSE(Layer().IsOpen());
    // Resting on a submenu item opens it after a moment.
    Click(Center(bar->TitleRect(0)));
    file = Layer().TopMenu();
    Mouse(YEventCode::kMouseMove, Center(file->ItemRect(3)));
    EXPECT_EQ(file->SubMenu(), nullptr);
    system.AdvanceTime(YPopupMenu::kSubMenuDelayMs);
    ASSERT_NE(file->SubMenu(), nullptr);
    Click(Center(file->SubMenu()->ItemRect(0)));
    EXPECT_EQ(chosen.ids, (std::vector<int32_t>{12, 2, 31}));
    // A click on the open title closes it.
    Click(Center(bar->TitleRect(1)));
    Click(Center(bar->TitleRect(1)));
    EXPECT_FALSE(Layer().IsOpen());
}

TEST_F(MenuTest, PopUpsStayInsideTheWindowAndLoadFromDefinitions) {
    YXMLItem element("menubar");
    YXMLItem& view = element.AddChild("item");
    view.SetAttribute("text", "View");
    view.SetAttribute("items", "Zoom in|-|Zoom out");
    YXMLItem& more = view.AddChild("item");
    more.SetAttribute("text", "More");
    YXMLItem& deep = more.AddChild("item");
    deep.SetAttribute("text", "Deep");
    deep.SetAttribute("id", "77");
    deep.SetAttribute("icon", "zoomin");
    auto* bar = Place(new YMenuBar(&root, "bar"), YRect::FromSize(0, 0, 400, 24));
    bar->Load(element);
    ASSERT_EQ(bar->TitleCount(), 1);
    const YMenuItem& viewItem = bar->Items().children[0];
    ASSERT_EQ(viewItem.children.size(), 4u);
    EXPECT_TRUE(viewItem.children[1].separator);
    EXPECT_EQ(viewItem.children[3].children[0].id, 77);
    EXPECT_EQ(viewItem.children[3].children[0].icon, static_cast<int32_t>(YStdIcon::kZoomIn));

    // Opened near the bottom right corner, a pop-up moves in.
    YEvent<YOnMenuParams> target;
    YPopupMenu* popup = Layer().Open(root, viewItem, target, {395, 295});
    const YRect r = popup->WindowRect();
    EXPECT_LE(r.right, 399);
    EXPECT_LE(r.bottom, 299);
    EXPECT_GE(r.left, 0);
    Key(YKey::kEscape);
    EXPECT_FALSE(Layer().IsOpen());

    YXMLItem bad("menubar");
    YXMLItem& badItem = bad.AddChild("item");
    badItem.SetAttribute("text", "x");
    badItem.SetAttribute("icon", "nosuchicon");
    EXPECT_THROW(bar->Load(bad), YException);
}

} // namespace
