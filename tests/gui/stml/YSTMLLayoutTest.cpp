// Layout of rich text for a width: measured heights of the program's own texts, line
// breaking, alignment and justification, and tables, with the plain test style.
#include "StmlTestStyle.h"

#include "gui/stml/YSTML.h"
#include "gui/stml/YSTMLTable.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YControlHelp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int32_t LineHeight(int32_t pixelSize) {
    const auto font = YFont::Default(pixelSize);
    return std::max(font->LineHeight(), font->Ascent() + font->Descent());
}
int32_t Normal() { return LineHeight(StmlTestStyle::kFontSizes[0]); }
int32_t Spacing() { return std::max(1, Normal() / 4); }

const YSTMLParagraph& ParagraphAt(const YSTMLItem& item, int32_t index) {
    return static_cast<const YSTMLParagraph&>(*item.Child(index));
}

// The words of a paragraph line by line, as laid out.
std::vector<std::string> LineTexts(const YSTMLParagraph& paragraph) {
    std::vector<std::string> lines;
    for (const auto& line : paragraph.Lines()) {
        std::string text;
        for (int32_t k = line.first; k < line.end; ++k) {
            const YSTMLFragment& f = paragraph.Fragments()[static_cast<size_t>(k)];
            if (k > line.first && f.spaceBefore) text += ' ';
            text += f.kind == YSTMLFragment::kWord ? f.text.ToUTF8() : std::string("#");
        }
        lines.push_back(text);
    }
    return lines;
}

const char* const kPanicHelp =
    "<name>! button</name> resets the plugin state. You can use it to force to plugin to rereport latency to the "
    "host and to avoid any audio problems.<p>For example, some plugins having a look-ahead feature report the size "
    "of the look-ahead delay as latency, but this is unconvenient to be done everytime the look-ahead changes as it "
    "usually causes the playback to stop.";

class YSTMLLayoutTest : public ::testing::Test {
protected:
    StmlTestStyle style;
};

TEST_F(YSTMLLayoutTest, HelpTitleIsOneBannerLineAndAGap) {
    YSTML stml("<center invert=1 singleline=1><l2>Knob</l2></center><justify><s/></justify>");
    const int32_t title = LineHeight(StmlTestStyle::kFontSizes[5]) + 2 * 2; // inverted: 2 pixels around
    const int32_t gap = Normal() / 2;
    EXPECT_EQ(stml.Layout(style, 300), title + Spacing() + gap);
    // However narrow, the title stays one line; centred in the width it has.
    EXPECT_EQ(stml.Layout(style, 10), title + Spacing() + gap);
    stml.Layout(style, 300);
    const auto& banner = ParagraphAt(stml, 0);
    ASSERT_EQ(banner.Lines().size(), 1u);
    const auto& word = banner.Fragments()[0];
    EXPECT_EQ(word.x, 2 + (296 - word.width) / 2);
}

// The F1 help the toolkit writes for a knob: title, own help, then the usage lines as a list.
TEST_F(YSTMLLayoutTest, ControlHelpTextLaysOutAsTheHelpWindowShowsIt) {
    class Knob : public YControl {
    public:
        Knob() : YControl(nullptr) {}
        YString HelpTextOfType() override {
            return "<control>Right mouse button</control> selects default value.\n"
                   "<control>Home key</control> configures minimal possible value.";
        }
    } knob;
    knob.SetHelp("<name>Depth</name> mixes the wet signal in.");
    YSTML help(YSTML::HelpTagsets() + YControlHelp::Text(knob, "Knob"));
    EXPECT_EQ(help.Describe().ToUTF8(),
              "p(center singleline invert)[large2:\"Knob\"] p(justify)[s] p[bold,red:\"Depth\" \"mixes the wet signal "
              "in.\"] p[bold:\"General control usage\"] li[green:\"Right mouse button\" \"selects default value.\"] "
              "li[green:\"Home key\" \"configures minimal possible value.\"]");
    const int32_t height = help.Layout(style, 600);
    const int32_t title = LineHeight(StmlTestStyle::kFontSizes[5]) + 4;
    EXPECT_EQ(height, title + Normal() / 2 + 4 * Normal() + 5 * Spacing());
    EXPECT_EQ(help.Child(help.ChildCount() - 1)->Bounds().bottom, height - 1);
}

TEST_F(YSTMLLayoutTest, VersionLabelKeepsToOneLine) {
    YSTML label("<p singleline=1>Vornik <normal>(7.10)");
    YSTML wrapping("<p>Vornik <normal>(7.10)");
    const int32_t narrow = style.Font(YStdFont::kNormal)->TextWidth("Vornik") + 2;
    EXPECT_EQ(label.Layout(style, narrow), Normal());
    EXPECT_EQ(wrapping.Layout(style, narrow), 2 * Normal());
    EXPECT_EQ(label.NaturalWidth(style), style.Font(YStdFont::kNormal)->TextWidth("Vornik (7.10)"));
}

TEST_F(YSTMLLayoutTest, OptionCaptionIsATitleOverItsDescription) {
    YSTML caption;
    caption.SetText("<p><b>{0}</b><p>{1}", YString("High-quality upsampling"),
                    YString("Provides maximum quality when upsampling, but requires more CPU and induces latency."));
    const int32_t height = caption.Layout(style, 200);
    const auto& description = ParagraphAt(caption, 1);
    const int32_t lines = static_cast<int32_t>(description.Lines().size());
    EXPECT_GE(lines, 3);
    EXPECT_EQ(height, Normal() + Spacing() + lines * Normal());
    EXPECT_EQ(caption.Child(1)->Bounds().top, Normal() + Spacing());
}

TEST_F(YSTMLLayoutTest, IconRowTakesTheIconWidthAndTheGivenHeight) {
    YSTML row;
    row.SetText("<tr padding=0 cellspaces=0 height=100%><td valign=center width=MaxStdIconSizeX fillalpha=50 "
                "padding=3><img icon=ok align=center valign=center></td><td valign=center>{0}</td></tr>",
                YString("The preset has been saved."));
    // The icon is wider than the cell's 14 pixels inside its padding: it shrinks to them.
    const int32_t icon = StmlTestStyle::kMaxIconX - 2 * 3;
    // Without a height to refer to, the row is as high as its highest cell.
    const int32_t natural = row.Layout(style, 300);
    EXPECT_EQ(natural, std::max(icon + 2 * 3, Normal()));
    const auto& tableRow = static_cast<const YSTMLTableRow&>(*row.Child(0));
    const auto& iconCell = static_cast<const YSTMLTableCell&>(*tableRow.Child(0));
    const auto& textCell = static_cast<const YSTMLTableCell&>(*tableRow.Child(1));
    EXPECT_EQ(iconCell.Bounds().Width(), StmlTestStyle::kMaxIconX);
    EXPECT_EQ(textCell.Bounds().left, StmlTestStyle::kMaxIconX);
    EXPECT_EQ(textCell.Bounds().Width(), 300 - StmlTestStyle::kMaxIconX);
    const YSTMLFragment& picture = ParagraphAt(iconCell, 0).Fragments()[0];
    EXPECT_EQ(picture.width, icon);
    EXPECT_EQ(picture.height, icon);

    // height=100% of a 90-pixel area: both cells centre their content in it.
    EXPECT_EQ(row.Layout(style, 300, 90), 90);
    EXPECT_EQ(textCell.Bounds().Height(), 90);
    EXPECT_EQ(textCell.ContentOffset().y, (90 - Normal()) / 2);
    EXPECT_EQ(iconCell.ContentOffset().y, 3 + (90 - 6 - icon) / 2);

    // A narrower icon alone on its line is centred (align=center) in the cell.
    YSTML wide("<tr padding=0><td width=40 padding=0><img icon=ok align=center></td></tr>");
    wide.Layout(style, 300);
    const auto& wideCell = *wide.Child(0)->Child(0);
    EXPECT_EQ(ParagraphAt(wideCell, 0).Fragments()[0].x, (40 - StmlTestStyle::kIcon.x) / 2);
}

TEST_F(YSTMLLayoutTest, InlineIconSitsOnTheBaseline) {
    YSTML text(YSTML::HelpTagsets() + "<name><img icon=left> button</name> loads previous preset.");
    text.Layout(style, 400);
    const auto& p = ParagraphAt(text, 0);
    ASSERT_EQ(p.Lines().size(), 1u);
    const auto& line = p.Lines()[0];
    const YSTMLFragment& icon = p.Fragments()[0];
    EXPECT_EQ(icon.width, StmlTestStyle::kIcon.x);
    EXPECT_EQ(icon.y + icon.height, line.top + line.baseline);
    // The icon is higher than the text's ascent, so it sets the baseline.
    EXPECT_EQ(line.baseline, std::max(StmlTestStyle::kIcon.y, style.Font(YStdFont::kBold)->Ascent()));
}

// Greedy breaking: every line fits, and the first word of the next line would not have fitted.
TEST_F(YSTMLLayoutTest, LinesFitAndAreFilled) {
    YSTML text(YSTML::HelpTagsets() + YString::FromUTF8(kPanicHelp));
    for (int32_t width : {60, 97, 150, 233, 400, 1000}) {
        text.Layout(style, width);
        for (int32_t b = 0; b < text.ChildCount(); ++b) {
            const auto& p = ParagraphAt(text, b);
            const auto& lines = p.Lines();
            for (size_t i = 0; i < lines.size(); ++i) {
                const auto& l = lines[i];
                if (l.end - l.first > 1) {
                    EXPECT_LE(l.width, width) << "width " << width << " line " << i;
                }
                if (i + 1 < lines.size()) {
                    const YSTMLFragment& next = p.Fragments()[static_cast<size_t>(lines[i + 1].first)];
                    const int32_t space = style.Font(static_cast<YStdFont>(next.font))->TextWidth(" ");
                    EXPECT_GT(l.width + space + next.width, width) << "width " << width << " line " << i;
                }
            }
        }
    }
    // The words come out in their order, none lost.
    text.Layout(style, 150);
    std::string joined;
    for (const auto& line : LineTexts(ParagraphAt(text, 0))) joined += (joined.empty() ? "" : " ") + line;
    EXPECT_EQ(joined, "! button resets the plugin state. You can use it to force to plugin to rereport latency to the "
                      "host and to avoid any audio problems.");
}

TEST_F(YSTMLLayoutTest, JoinedWordsNeverSplitAndALongWordStandsAlone) {
    YSTML text("aa <b>bb</b>cc<i>dd</i> ee Supercalifragilisticexpialidocious ff");
    const int32_t bb = style.Font(YStdFont::kBold)->TextWidth("bb");
    text.Layout(style, bb + 4);
    EXPECT_EQ(LineTexts(ParagraphAt(text, 0)),
              (std::vector<std::string>{"aa", "bbccdd", "ee", "Supercalifragilisticexpialidocious", "ff"}));
}

struct AlignCase {
    const char* tag;
    int32_t expectedOffset; // -1 left, -2 centre, -3 right of the free width
};

TEST_F(YSTMLLayoutTest, AlignmentPlacesEachLine) {
    const int32_t width = 300;
    const int32_t word = style.Font(YStdFont::kNormal)->TextWidth("word");
    for (const auto& [tag, offset] : {std::pair{"left", 0}, std::pair{"center", (width - word) / 2},
                                      std::pair{"right", width - word}, std::pair{"justify", 0}}) {
        YSTML text(YString("<") + YString::Literal(tag) + YString(">word"));
        text.Layout(style, width);
        EXPECT_EQ(ParagraphAt(text, 0).Fragments()[0].x, offset) << tag;
    }
}

TEST_F(YSTMLLayoutTest, JustifiedLinesReachTheRightEdgeExceptTheLast) {
    YSTML text(YString("<justify>") + YString::FromUTF8(kPanicHelp));
    const int32_t width = 217;
    text.Layout(style, width);
    const auto& p = ParagraphAt(text, 0);
    ASSERT_GE(p.Lines().size(), 3u);
    for (size_t i = 0; i < p.Lines().size(); ++i) {
        const auto& l = p.Lines()[i];
        const YSTMLFragment& last = p.Fragments()[static_cast<size_t>(l.end - 1)];
        const bool breaks = l.end - l.first > 1;
        if (i + 1 < p.Lines().size() && breaks) {
            EXPECT_EQ(last.x + last.width, width) << "line " << i;
        } else {
            EXPECT_EQ(last.x + last.width, l.width) << "line " << i; // left as it is
        }
        // The gaps differ by one pixel at most.
        int32_t smallest = INT32_MAX, largest = 0;
        for (int32_t k = l.first + 1; k < l.end; ++k) {
            const auto& a = p.Fragments()[static_cast<size_t>(k - 1)];
            const auto& b = p.Fragments()[static_cast<size_t>(k)];
            if (!b.spaceBefore) continue;
            smallest = std::min(smallest, b.x - (a.x + a.width));
            largest = std::max(largest, b.x - (a.x + a.width));
        }
        if (smallest != INT32_MAX) {
            EXPECT_LE(largest - smallest, 1) << "line " << i;
        }
    }
}

TEST_F(YSTMLLayoutTest, ListItemsAreIndentedByALine) {
    YSTML text("<li>one</li><li>two</li>");
    EXPECT_EQ(text.Layout(style, 200), 2 * Normal() + Spacing());
    EXPECT_EQ(ParagraphAt(text, 1).Fragments()[0].x, Normal());
}

TEST_F(YSTMLLayoutTest, HorizontalLineTakesItsOwnLine) {
    YSTML text("above<hline size=3 vspace=2 hspace=5>below");
    EXPECT_EQ(text.Layout(style, 120), Normal() + (3 + 4) + Normal());
    const auto& p = ParagraphAt(text, 0);
    EXPECT_EQ(LineTexts(p), (std::vector<std::string>{"above", "#", "below"}));
    EXPECT_EQ(p.Fragments()[1].width, 120);
}

struct CellCase {
    const char* what;
    const char* text;
    int32_t width;
    std::vector<int32_t> lefts;
    std::vector<int32_t> widths;
};

TEST_F(YSTMLLayoutTest, TableCellsShareTheRowWidth) {
    const int32_t autoWidth = style.Font(YStdFont::kNormal)->TextWidth("auto") + 2 * 2;
    const CellCase cases[] = {
        {"equal shares", "<tr cellspaces=0><td>a<td>b<td>c", 301, {0, 101, 201}, {101, 100, 100}},
        {"spaces between cells", "<tr cellspaces=10><td>a<td>b", 210, {0, 110}, {100, 100}},
        {"fixed, percent and the rest", "<tr cellspaces=0><td width=50>a<td width=25%>b<td>c", 400, {0, 50, 150},
         {50, 100, 250}},
        {"metric width", "<tr cellspaces=0><td width=MaxStdIconSizeX>a<td>b", 100, {0, 20}, {20, 80}},
        {"autosize takes the text's width", "<tr cellspaces=0><td autosize=1>auto<td>b", 200, {0, autoWidth},
         {autoWidth, 200 - autoWidth}},
        {"a row of fixed cells aligned right", "<tr align=right cellspaces=0><td width=40>a<td width=60>b", 200,
         {100, 140}, {40, 60}},
        {"cells wider than the row run past it", "<tr cellspaces=0><td width=150>a<td width=150>b<td>c", 200,
         {0, 150, 300}, {150, 150, 1}},
        {"absurd widths are clamped", "<tr cellspaces=0><td width=1e12>a", 100, {0}, {32768}},
    };
    for (const CellCase& c : cases) {
        YSTML text(YString::FromUTF8(c.text));
        text.Layout(style, c.width);
        const YSTMLItem& row = *text.Child(0);
        ASSERT_EQ(row.ChildCount(), static_cast<int32_t>(c.lefts.size())) << c.what;
        for (int32_t i = 0; i < row.ChildCount(); ++i) {
            EXPECT_EQ(row.Child(i)->Bounds().left, c.lefts[static_cast<size_t>(i)]) << c.what << " cell " << i;
            EXPECT_EQ(row.Child(i)->Bounds().Width(), c.widths[static_cast<size_t>(i)]) << c.what << " cell " << i;
        }
    }
}

TEST_F(YSTMLLayoutTest, RowIsAsHighAsItsHighestCell) {
    YSTML text("<tr padding=4 cellspaces=0><td>one line<td width=30>many words here<td valign=bottom>x</tr>");
    const int32_t height = text.Layout(style, 200);
    const YSTMLItem& row = *text.Child(0);
    const auto& narrow = static_cast<const YSTMLTableCell&>(*row.Child(1));
    const int32_t lines = static_cast<int32_t>(ParagraphAt(narrow, 0).Lines().size());
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(height, lines * Normal() + 8);
    const auto& bottom = static_cast<const YSTMLTableCell&>(*row.Child(2));
    EXPECT_EQ(bottom.ContentOffset().y, height - 4 - Normal());
}

TEST_F(YSTMLLayoutTest, HugeTextLaysOutInBoundedTime) {
    // 1 MB of words, and 1 MB of one word: both lay out, the second as one overlong line.
    std::string words;
    while (words.size() < (1u << 20)) words += "lorem ipsum dolor sit amet, ";
    YSTML many(YString::FromUTF8(words));
    const int32_t height = many.Layout(style, 500);
    const auto& p = ParagraphAt(many, 0);
    EXPECT_GT(p.Lines().size(), 10000u);
    EXPECT_EQ(height, static_cast<int32_t>(p.Lines().size()) * Normal());

    YSTML one(YString::FromUTF8(std::string(1u << 20, 'x')));
    EXPECT_EQ(one.Layout(style, 500), Normal());
}

} // namespace
