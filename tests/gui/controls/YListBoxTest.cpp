// List boxes driven by keys and the mouse: single and multiple selection, checks, moving
// items, columns, type-ahead and scrolling.
#include "ControlsFixture.h"

#include "foundation/YXMLItem.h"
#include "gui/controls/YListBox.h"
#include "gui/controls/YScrollBar.h"

#include <string>
#include <vector>

namespace {

constexpr uint32_t kShift = YEventFlag::kShift;
constexpr uint32_t kCtrl = YEventFlag::kCtrl;
constexpr uint32_t kAlt = YEventFlag::kAlt;

class ListBoxTest : public ControlsFixture {
protected:
    YListBox* MakeList(int32_t count, bool multi, YRect rect = YRect::FromSize(10, 10, 200, 400)) {
        auto* list = Place(new YListBox(&root, "list"), rect);
        list->SetMultiSelect(multi);
        list->SetItemHeight(20);
        for (int32_t i = 0; i < count; ++i) list->AddItem(YString::FromUTF8("item " + std::to_string(i)));
        list->SetFocus();
        return list;
    }
    YPoint At(YListBox& list, int32_t index) {
        const YRect r = list.ItemRect(index);
        return {r.left + r.Width() / 2, r.top + r.Height() / 2};
    }
    static std::vector<int32_t> V(std::initializer_list<int32_t> v) { return v; }
};

TEST_F(ListBoxTest, SingleSelectionFollowsKeysAndClicks) {
    YListBox* list = MakeList(10, false);
    Key(YKey::kDown);
    EXPECT_EQ(list->SelectedItems(), V({0}));
    Key(YKey::kDown);
    Key(YKey::kDown, kShift); // no ranges in a single-selection list
    EXPECT_EQ(list->SelectedItems(), V({2}));
    Key(YKey::kEnd);
    EXPECT_EQ(list->SelectedItems(), V({9}));
    Key(YKey::kDown); // stays at the end
    EXPECT_EQ(list->SelectedItems(), V({9}));
    Key(YKey::kHome);
    EXPECT_EQ(list->SelectedItems(), V({0}));
    Click(At(*list, 4));
    EXPECT_EQ(list->SelectedItems(), V({4}));
    Click(At(*list, 6), kCtrl); // Ctrl adds nothing either
    EXPECT_EQ(list->SelectedItems(), V({6}));
    EXPECT_EQ(list->Selected(), 6);
}

TEST_F(ListBoxTest, MultiSelectWithShiftCtrlAndSelectAll) {
    struct Row {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> keys; // key, modifiers
        std::vector<int32_t> selected;
        int32_t focus;
    };
    const Row rows[] = {
        {"shift+down extends from the anchor", {{YKey::kDown, 0}, {YKey::kDown, kShift}, {YKey::kDown, kShift}}, {0, 1, 2}, 2},
        {"shift+up shrinks back", {{YKey::kDown, 0}, {YKey::kDown, kShift}, {YKey::kDown, kShift}, {YKey::kUp, kShift}}, {0, 1}, 1},
        {"ctrl moves only the focus, ctrl+space toggles",
         {{YKey::kDown, 0}, {YKey::kDown, kCtrl}, {YKey::kDown, kCtrl}, {YKey::kSpace, kCtrl}}, {0, 2}, 2},
        {"shift+end selects to the end", {{YKey::kNext, 0}, {YKey::kEnd, kShift}}, {8, 9}, 9},
        {"ctrl+a", {{YKey::kDown, 0}, {'A', kCtrl}}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0},
        {"a plain move collapses the selection", {{'A', kCtrl}, {YKey::kDown, 0}}, {0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        YListBox* list = MakeList(10, true, YRect::FromSize(10, 10, 200, 184)); // 9 rows visible
        for (auto [key, modifiers] : row.keys) Key(key, modifiers);
        EXPECT_EQ(list->SelectedItems(), row.selected);
        EXPECT_EQ(list->FocusIndex(), row.focus);
        delete list;
    }
}

TEST_F(ListBoxTest, MultiSelectWithTheMouse) {
    YListBox* list = MakeList(10, true);
    Click(At(*list, 2));
    Click(At(*list, 5), kShift);
    EXPECT_EQ(list->SelectedItems(), V({2, 3, 4, 5}));
    Click(At(*list, 3), kCtrl);
    EXPECT_EQ(list->SelectedItems(), V({2, 4, 5}));
    Click(At(*list, 8), kCtrl);
    EXPECT_EQ(list->SelectedItems(), V({2, 4, 5, 8}));
    // Shift+click ranges from the last ctrl-clicked item.
    Click(At(*list, 6), kShift);
    EXPECT_EQ(list->SelectedItems(), V({6, 7, 8}));
    Click(At(*list, 1));
    EXPECT_EQ(list->SelectedItems(), V({1}));
    // Below the last item nothing changes.
    Click({At(*list, 0).x, list->ItemRect(9).bottom + 30});
    EXPECT_EQ(list->SelectedItems(), V({1}));
}

TEST_F(ListBoxTest, ChecksBySpaceAndByClickingTheBox) {
    YListBox* list = MakeList(5, true);
    list->SetItemChecks(true);
    std::vector<int32_t> reported;
    struct Listener : YEventTarget {
        std::vector<int32_t>* out;
        void Checked(YOnItemParams<int32_t>& p) { out->push_back(p.item); }
    } listener;
    listener.out = &reported;
    list->OnItemCheck.Add<&Listener::Checked>(&listener);

    const YRect box = list->CheckRect(3);
    Click({box.left + 2, box.top + 2});
    EXPECT_EQ(list->Check(3), YCheckBoxState::kOn);
    EXPECT_TRUE(list->SelectedItems().empty()); // the box does not select
    Key(YKey::kDown);
    Key(YKey::kDown, kShift);
    Key(YKey::kSpace);
    EXPECT_EQ(list->Check(0), YCheckBoxState::kOn);
    EXPECT_EQ(list->Check(1), YCheckBoxState::kOn);
    EXPECT_EQ(list->Check(2), YCheckBoxState::kOff);
    Key(YKey::kSpace);
    EXPECT_EQ(list->Check(0), YCheckBoxState::kOff);
    EXPECT_EQ(reported, V({3, 0, 1, 0, 1}));
}

TEST_F(ListBoxTest, MovableItemsByKeysAndByDragging) {
    YListBox* list = MakeList(5, true);
    auto order = [&] {
        std::string s;
        for (int32_t i = 0; i < list->Count(); ++i) s += static_cast<char>('0' + list->Item(i).text.ToUTF8().back() - '0');
        return s;
    };
    Key(YKey::kDown, kAlt); // not movable: nothing moves
    EXPECT_EQ(order(), "01234");
    list->SetItemsMovable(true);
    Click(At(*list, 1));
    Click(At(*list, 2), kShift);
    Key(YKey::kDown, kAlt);
    EXPECT_EQ(order(), "03124");
    EXPECT_EQ(list->SelectedItems(), V({2, 3}));
    Key(YKey::kDown, kAlt);
    Key(YKey::kDown, kAlt); // the block stops at the end
    EXPECT_EQ(order(), "03412");
    Key(YKey::kUp, kAlt);
    EXPECT_EQ(order(), "03124");

    Click(At(*list, 0));
    Drag(At(*list, 0), At(*list, 3));
    EXPECT_EQ(order(), "31204");
    EXPECT_EQ(list->SelectedItems(), V({3}));
}

TEST_F(ListBoxTest, ColumnsReadRowByRowAndArrowsMoveAcross) {
    YListBox* list = MakeList(7, false, YRect::FromSize(0, 0, 304, 200));
    list->SetColumnCount(3);
    EXPECT_EQ(list->RowCount(), 3);
    EXPECT_EQ(list->ItemAt(At(*list, 4)), 4);
    EXPECT_EQ(list->ItemRect(4).top, list->ItemRect(3).top);
    EXPECT_GT(list->ItemRect(4).left, list->ItemRect(3).left);
    Key(YKey::kDown);
    Key(YKey::kRight);
    Key(YKey::kDown);
    EXPECT_EQ(list->Selected(), 4);
    Key(YKey::kDown);
    EXPECT_EQ(list->Selected(), 6); // the last row is short: the nearest item
    Key(YKey::kLeft);
    EXPECT_EQ(list->Selected(), 5);

    list->SetColumnWidth(100);
    list->SetComputeColumnCount(true);
    EXPECT_EQ(list->ColumnCount(), 3); // 300 pixels inside the border
    list->SetSize(204, 200);
    EXPECT_EQ(list->ColumnCount(), 2);
}

TEST_F(ListBoxTest, TypeAheadActivationAndScrolling) {
    YListBox* list = Place(new YListBox(&root, "l"), YRect::FromSize(0, 0, 150, 104)); // 5 rows
    list->SetItemHeight(20);
    for (const char* t : {"apple", "banana", "blueberry", "cherry", "date", "elder", "fig", "grape"}) list->AddItem(YString::FromUTF8(t));
    list->SetFocus();
    int32_t activated = -1;
    struct Listener : YEventTarget {
        int32_t* out;
        void Activated(YOnItemParams<int32_t>& p) { *out = p.item; }
    } listener;
    listener.out = &activated;
    list->OnItemActivate.Add<&Listener::Activated>(&listener);

    Type("b");
    EXPECT_EQ(list->Selected(), 1);
    Type("B");
    EXPECT_EQ(list->Selected(), 2);
    Type("b"); // wraps to the first "b" again
    EXPECT_EQ(list->Selected(), 1);
    Key(YKey::kReturn);
    EXPECT_EQ(activated, 1);

    ASSERT_TRUE(list->ScrollBar()->IsVisible());
    Type("g");
    EXPECT_EQ(list->Selected(), 7);
    EXPECT_EQ(list->FirstVisibleRow(), 3); // scrolled to show it
    EXPECT_EQ(list->ScrollBar()->Value(), 3);
    Mouse(YEventCode::kWheel, {20, 20}, 0, 120);
    EXPECT_EQ(list->FirstVisibleRow(), 0);
    DoubleClick(At(*list, 2));
    EXPECT_EQ(activated, 2);
    // Clicking the scroll bar's lower arrow scrolls by a row.
    const YRect arrow = list->ScrollBar()->PartRect(YScrollBar::Part::kIncrease);
    Click({arrow.left + 3, arrow.top + 3});
    EXPECT_EQ(list->FirstVisibleRow(), 1);
}

TEST_F(ListBoxTest, LoadsItemsAndOptionsAndSurvivesAbsurdValues) {
    YXMLItem element("listbox");
    element.SetAttribute("multiselect", "1");
    element.SetAttribute("itemchecks", "1");
    element.SetAttribute("items", "one|two|three");
    element.SetAttribute("selected", "1");
    element.SetAttribute("columncount", "-5");
    element.SetAttribute("itemheight", "99999999");
    YXMLItem& item = element.AddChild("item");
    item.SetAttribute("text", "four");
    item.SetAttribute("check", "on");
    auto* list = Place(new YListBox(&root), YRect::FromSize(0, 0, 100, 100));
    list->Load(element);
    ASSERT_EQ(list->Count(), 4);
    EXPECT_EQ(Utf8(list->Item(0).text), "four");
    EXPECT_EQ(list->Check(0), YCheckBoxState::kOn);
    EXPECT_EQ(list->Selected(), 1);
    EXPECT_TRUE(list->IsMultiSelect());
    EXPECT_EQ(list->ColumnCount(), 1);
    EXPECT_EQ(list->VisibleRows(), 1);
    EXPECT_THROW(list->Select(4), YException);
    list->Clear();
    EXPECT_EQ(list->Selected(), -1);
    Key(YKey::kDown); // nothing to select: no crash
    Type("x");
}

} // namespace
