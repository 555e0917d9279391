// Tab sets, progress bars and static texts: tab switching by mouse, wheel and keys, pages
// that follow the current tab, scrolling tabs; value limits; wrapped static text.
#include "ControlsFixture.h"

#include "foundation/YXMLItem.h"
#include "gui/controls/YControlText.h"
#include "gui/controls/YProgressBar.h"
#include "gui/controls/YStatic.h"
#include "gui/controls/YTabSet.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

class TabSetTest : public ControlsFixture {
protected:
    YPoint Center(const YRect& r) { return {r.left + r.Width() / 2, r.top + r.Height() / 2}; }
};

TEST_F(TabSetTest, SwitchingByMouseWheelAndKeysShowsTheMatchingPage) {
    auto* pages = Place(new YContainer(&root, "pages"), YRect::FromSize(0, 30, 400, 200));
    for (const char* id : {"p0", "p1", "p2"}) Place(new YContainer(pages, YString::FromUTF8(id)), YRect::FromSize(0, 0, 400, 200));
    YXMLItem element("tabset");
    element.SetAttribute("items", "General|Colours|About");
    element.SetAttribute("pages", "pages");
    element.SetAttribute("original", "1");
    auto* tabs = Place(new YTabSet(&root, "tabs"), YRect::FromSize(0, 0, 400, 26));
    tabs->Load(element);
    std::vector<int32_t> changes;
    struct Listener : YEventTarget {
        std::vector<int32_t>* out;
        void Changed(YOnItemParams<int32_t>& p) { out->push_back(p.item); }
    } listener;
    listener.out = &changes;
    tabs->OnChange.Add<&Listener::Changed>(&listener);
    auto visiblePage = [&] {
        int32_t shown = -1;
        for (int32_t i = 0; i < pages->ChildCount(); ++i) {
            if (pages->Child(i)->IsVisible()) shown = shown == -1 ? i : -2;
        }
        return shown;
    };
    EXPECT_EQ(tabs->Current(), 1);
    EXPECT_EQ(visiblePage(), 1);

    Click(Center(tabs->TabRect(2)));
    EXPECT_EQ(tabs->Current(), 2);
    EXPECT_EQ(visiblePage(), 2);
    EXPECT_TRUE(tabs->HasFocus());
    Key(YKey::kLeft);
    Key(YKey::kLeft);
    Key(YKey::kLeft); // stops at the first tab
    EXPECT_EQ(tabs->Current(), 0);
    Key(YKey::kEnd);
    Key(YKey::kPrior, YEventFlag::kCtrl);
    EXPECT_EQ(tabs->Current(), 1);
    Mouse(YEventCode::kWheel, Center(tabs->TabRect(0)), 0, -120);
    EXPECT_EQ(tabs->Current(), 2);
    Click(Center(tabs->TabRect(2))); // the current tab again: no change
    EXPECT_EQ(changes, (std::vector<int32_t>{2, 1, 0, 2, 1, 2}));
    EXPECT_EQ(visiblePage(), 2);

    tabs->RemoveTab(2);
    EXPECT_EQ(tabs->Current(), 1);
    EXPECT_EQ(changes.back(), 1);
    tabs->RemoveTab(0);
    EXPECT_EQ(tabs->Current(), 0);
    EXPECT_EQ(Utf8(tabs->Tab(0)), "Colours");
}

TEST_F(TabSetTest, TabsThatDoNotFitScrollOrShareTheWidth) {
    auto* tabs = Place(new YTabSet(&root, "tabs"), YRect::FromSize(0, 0, 160, 26));
    for (int i = 0; i < 8; ++i) tabs->AddTab(YString::FromUTF8("Tab number " + std::to_string(i)));
    ASSERT_TRUE(tabs->Scrolls());
    EXPECT_FALSE(tabs->ArrowRect(true).IsEmpty());
    tabs->SetFocus();
    Key(YKey::kEnd);
    EXPECT_EQ(tabs->Current(), 7);
    const YRect last = tabs->TabRect(7);
    EXPECT_FALSE(last.IsEmpty());
    EXPECT_LT(last.right, tabs->ArrowRect(false).left); // wholly before the arrows
    EXPECT_TRUE(tabs->TabRect(0).IsEmpty());
    Click(Center(tabs->ArrowRect(false)));
    Click(Center(tabs->ArrowRect(false)));
    const int32_t first = tabs->FirstShownTab();
    Click(Center(tabs->ArrowRect(true)));
    EXPECT_EQ(tabs->FirstShownTab(), first + 1);

    tabs->SetFitAllButtons(true);
    EXPECT_FALSE(tabs->Scrolls());
    EXPECT_EQ(tabs->TabRect(0).left, 0);
    EXPECT_EQ(tabs->TabRect(7).right, 159);
    EXPECT_EQ(tabs->TabAt({159, 10}), 7);
}

TEST(ProgressBar, KeepsItsValueInsideTheRange) {
    YContainer root(nullptr);
    YProgressBar bar(&root);
    struct Row {
        double min, max, value, fraction;
    };
    const Row rows[] = {
        {0, 100, 25, 0.25},
        {0, 100, 150, 1.0},
        {0, 100, -5, 0.0},
        {100, 0, 75, 0.75},  // limits in either order
        {5, 5, 5, 0.0},      // an empty range
        {0, 10, std::numeric_limits<double>::quiet_NaN(), 0.0},
    };
    for (const Row& row : rows) {
        bar.SetRange(row.min, row.max);
        bar.SetValue(row.value);
        EXPECT_DOUBLE_EQ(bar.Fraction(), row.fraction) << row.min << " " << row.max << " " << row.value;
    }
    YXMLItem element("progressbar");
    element.SetAttribute("mmin", "-10");
    element.SetAttribute("mmax", "10");
    element.SetAttribute("value", "5abc");
    bar.Load(element);
    EXPECT_DOUBLE_EQ(bar.Value(), 5.0);
    EXPECT_DOUBLE_EQ(bar.Fraction(), 0.75);
}

TEST_F(TabSetTest, MultiLineStaticWrapsAtBlanksWithinTheWidth) {
    auto* text = Place(new YStaticMultiLine(&root, "t"), YRect::FromSize(0, 0, 120, 100));
    text->SetCaption("The quick brown fox jumps over the lazy dog\n\nand a verylongwordthatcannotbreak here");
    const std::vector<YString> lines = text->Lines(120);
    ASSERT_GT(lines.size(), 4u);
    YString joined;
    for (const YString& line : lines) {
        // Only a single word may stand wider than the line.
        if (line.Find(u' ') >= 0) {
            EXPECT_LE(YControlText::Width(*text, line), 120) << line.ToUTF8();
        }
        EXPECT_NE(line.Length() > 0 ? line[0] : u'x', u' ');
        if (!joined.IsEmpty()) joined.Append(u'|');
        joined.Append(line);
    }
    EXPECT_NE(joined.ToUTF8().find("||and"), std::string::npos); // the empty line stays
    EXPECT_NE(joined.ToUTF8().find("|verylongwordthatcannotbreak|"), std::string::npos);
    EXPECT_EQ(text->HeightForWidth(120), static_cast<int32_t>(lines.size()) * YControlText::LineHeight(*text));
    EXPECT_GT(text->HeightForWidth(60), text->HeightForWidth(400));
}

} // namespace
