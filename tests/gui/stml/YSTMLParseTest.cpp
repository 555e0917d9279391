// The item trees the markup builds: the program's own texts, the tag rules and the tagset
// definitions, read through each tree's description.
#include "gui/stml/YSTML.h"
#include "gui/stml/YSTMLObject.h"
#include "gui/stml/YSTMLTable.h"
#include "gui/toolkit/YStyle.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const char* what;
    const char* text;
    const char* tree;
};

class YSTMLParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(YSTMLParseTest, BuildsTheTree) {
    const ParseCase& c = GetParam();
    YSTML stml(YSTML::HelpTagsets() + YString::FromUTF8(c.text));
    EXPECT_EQ(stml.Describe().ToUTF8(), c.tree) << c.what;
}

const ParseCase kProgramTexts[] = {
    {"help window title",
     "<center invert=1 singleline=1><l2>Knob</l2></center><justify><s/></justify>",
     "p(center singleline invert)[large2:\"Knob\"] p(justify)[s]"},
    {"version label", "<p singleline=1>Vornik <normal>(7.10)", "p(singleline)[\"Vornik (7.10)\"]"},
    {"usage lines", "<li>First line.</li><li>Second <control>line</control>.</li>",
     "li[\"First line.\"] li[\"Second\" green:\"line\"+\".\"]"},
    {"icon row",
     "<tr padding=0 cellspaces=0 height=100%><td valign=center width=MaxStdIconSizeX fillalpha=50 padding=3>"
     "<img number=0 align=center valign=center></td><td valign=center>Preset saved.</td></tr>",
     "tr(height=100% padding=0 cellspaces=0){td(width=maxstdiconsizex valign=center padding=3 fillalpha=50)"
     "{p[img(number=0 align=center valign=center)]} td(valign=center){p[\"Preset saved.\"]}}"},
    {"inline icon", "<img icon=ok align=center valign=center>", "p[img(icon=ok align=center valign=center)]"},
    {"icon inside a control name", "<name><img icon=left> button</name> loads previous preset.",
     "p[img(icon=left) bold,red:\"button\" \"loads previous preset.\"]"},
    {"help with a shortcut and a reference",
     "<shortcut>Ctrl+C</shortcut> copies, <reference>see Presets</reference>.",
     "p[green:\"Ctrl+C\"] p[\"copies,\" italic,red:\"see Presets\"+\".\"]"},
};
INSTANTIATE_TEST_SUITE_P(ProgramTexts, YSTMLParseTest, ::testing::ValuesIn(kProgramTexts));

const ParseCase kTagRules[] = {
    {"blanks collapse and words across tags stay joined", "  one \n two<b>three</b> four ",
     "p[\"one two\"+bold:\"three\" \"four\"]"},
    {"a closing tag closes what was opened after it", "<b>bold <i>both</b> plain",
     "p[bold:\"bold\" italic:\"both\" \"plain\"]"},
    {"a closing tag with nothing to close is ignored", "</b>a</center> b", "p[\"a b\"]"},
    {"the colour tags and the return to the text colour", "<cred>r <cblue>b <cd>d</cd> b</cblue></cred>",
     "p[red:\"r\" blue:\"b\" \"d\" blue:\"b\"]"},
    {"paragraph tags end the open paragraph", "one<p>two<right>three</right>four",
     "p[\"one\"] p[\"two\"] p(right)[\"three\"] p[\"four\"]"},
    {"an empty paragraph leaves nothing", "<p></p><center></center>x", "p[\"x\"]"},
    {"paragraph attributes", "<p fill=red fillalpha=50% value=40 alpha=128>x", "p(fill)[\"x\"]"},
    {"tag and attribute names ignore case, a bare attribute is set", "<B>x</b><P SingleLine>y",
     "p[bold:\"x\"] p(singleline)[\"y\"]"},
    {"quoted and bare attribute values", "<img icon=\"right\"><img icon='up'/><img icon=down>",
     "p[img(icon=right)+img(icon=up)+img(icon=down)]"},
    {"entities", "a &lt;b&gt; &amp; &quot;&#65;&#x42;&quot; &bogus; & x",
     "p[\"a <b> & \"AB\" &bogus; & x\"]"},
    {"a '<' that starts no tag is text", "1 < 2, 3 <4 and <5", "p[\"1 < 2, 3 <4 and <5\"]"},
    {"unknown tags are ignored, their text shows", "<blink>x</blink> <font face=a>y</font>", "p[\"x y\"]"},
    {"a horizontal line with text around it", "above<hline size=2 hspace=4>below",
     "p[\"above\"+hline(size=2 width=100%)+\"below\"]"},
    {"rectangle and indicator",
     "<rectangle width=10 height=50% color=FF0000FF> <indicator value=30 min=-60 max=60 middle=0 default=20>",
     "p[rectangle(width=10 height=50%) indicator(value=30 range=-60..60 middle=0 default=20)]"},
    {"a cell without a row opens one", "<td width=30%>a<td autosize=1>b",
     "tr{td(width=30%){p[\"a\"]} td(autosize){p[\"b\"]}}"},
    {"tables nest in cells", "<tr><td><tr><td>in</td></tr></td><td>out</td></tr>after",
     "tr{td{tr{td{p[\"in\"]}}} td{p[\"out\"]}} p[\"after\"]"},
    {"a tagset of the text's own", "<tagset name=\"warn\"><b><cblue></tagset>a <warn>b</warn> c",
     "p[\"a\" bold,blue:\"b\" \"c\"]"},
    {"a later tagset may use an earlier one", "<tagset name=\"loud\"><name><l1></tagset><loud>x</loud>",
     "p[large1,red:\"x\"]"},
    {"a built-in tag redefined", "<tagset name=\"b\"><i></tagset><b>x</b>", "p[italic:\"x\"]"},
};
INSTANTIATE_TEST_SUITE_P(TagRules, YSTMLParseTest, ::testing::ValuesIn(kTagRules));

// Bad input: unclosed, cyclic and runaway markup gives a neutral tree, never a failure.
const ParseCase kBadInput[] = {
    {"tags never closed", "<b><i><center>text", "p(center)[italic:\"text\"]"},
    {"a tag the text ends inside", "text <b x=\"unfinished", "p[\"text <b x=\"unfinished\"]"},
    {"a tagset that names itself", "<tagset name=\"x\"><x><b></tagset><x>y</x> z", "p[bold:\"y\" \"z\"]"},
    {"two tagsets naming each other",
     "<tagset name=\"a\"><c><i></tagset><tagset name=\"c\"><a><b></tagset><a>t</a> <c>u</c>",
     "p[italic:\"t\" bold:\"u\"]"},
    {"a tagset never closed swallows the rest", "before <tagset name=\"q\"><b>after", "p[\"before\"]"},
    {"a tagset without a name defines nothing", "<tagset><b></tagset><b>x</b>", "p[bold:\"x\"]"},
    {"attribute values that do not read", "<img icon=nosuchicon width=wide height=%><p value=x fill=q>t",
     "p[img()] p[\"t\"]"},
    {"absurd sizes are kept as written, clamped in layout", "<img icon=left width=99999999999 height=-7>",
     "p[img(icon=left width=1e+11 height=-7)]"},
};
INSTANTIATE_TEST_SUITE_P(BadInput, YSTMLParseTest, ::testing::ValuesIn(kBadInput));

TEST(YSTMLParse, PlaceholdersAreFilledBeforeParsing) {
    YSTML stml;
    stml.SetText("<p><b>{0}</b><p>{1}", YString("Tablet mode"),
                 YString("Enables better support for <i>tablets</i>."));
    EXPECT_EQ(stml.Describe().ToUTF8(),
              "p[bold:\"Tablet mode\"] p[\"Enables better support for\" italic:\"tablets\"+\".\"]");
    EXPECT_EQ(stml.Text(), YString("<p><b>Tablet mode</b><p>Enables better support for <i>tablets</i>."));
}

TEST(YSTMLParse, SetTextReplacesTheTreeAndItsDefinitions) {
    YSTML stml("<tagset name=\"k\"><b></tagset><k>one</k>");
    stml.SetText("<k>two</k>");
    EXPECT_EQ(stml.Describe().ToUTF8(), "p[\"two\"]");
    EXPECT_EQ(stml.ChildCount(), 1);
}

TEST(YSTMLParse, ObjectsAreChildrenOfTheirParagraph) {
    YSTML stml("a <img icon=left> b <indicator value=5> <hline>");
    ASSERT_EQ(stml.ChildCount(), 1);
    const YSTMLItem* paragraph = stml.Child(0);
    ASSERT_EQ(paragraph->ChildCount(), 3);
    EXPECT_EQ(paragraph->Child(0)->Kind(), YSTMLItemKind::kImage);
    EXPECT_EQ(paragraph->Child(1)->Kind(), YSTMLItemKind::kIndicator);
    EXPECT_EQ(paragraph->Child(2)->Kind(), YSTMLItemKind::kLine);
    EXPECT_EQ(paragraph->Child(3), nullptr);
    EXPECT_EQ(static_cast<const YSTMLImage*>(paragraph->Child(0))->Icon(), static_cast<int32_t>(YStdIcon::kLeft));
}

TEST(YSTMLParse, IndicatorFractionsStayInTheBar) {
    YSTMLAttributes attributes;
    attributes.Add("min", "-10");
    attributes.Add("max", "10");
    const YSTMLIndicator indicator(attributes);
    EXPECT_DOUBLE_EQ(indicator.Fraction(0.0), 0.5);
    EXPECT_DOUBLE_EQ(indicator.Fraction(-20.0), 0.0);
    EXPECT_DOUBLE_EQ(indicator.Fraction(99.0), 1.0);
    YSTMLAttributes flat;
    flat.Add("min", "3");
    flat.Add("max", "3");
    EXPECT_DOUBLE_EQ(YSTMLIndicator(flat).Fraction(3.0), 0.0);
}

// Runaway nesting stops at the depth limit: the tree stays shallow and the text still shows.
TEST(YSTMLParse, DeepNestingIsCapped) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "<tr><td><b>";
    text += "deep";
    YSTML stml(YString::FromUTF8(text));
    int32_t depth = 0;
    const YSTMLItem* item = &stml;
    while (item->ChildCount() > 0) {
        item = item->Child(item->ChildCount() - 1);
        ++depth;
    }
    EXPECT_LE(depth, static_cast<int32_t>(YSTML::kMaxDepth) + 2);
    EXPECT_EQ(item->Kind(), YSTMLItemKind::kParagraph);
    YString last;
    item->Describe(last);
    EXPECT_NE(last.Find(YString("deep")), -1);
}

TEST(YSTMLParse, ALongDefinitionIsCut) {
    std::string text = "<tagset name=\"many\">";
    for (int i = 0; i < 1000; ++i) text += "<b>";
    text += "</tagset>";
    // Using it many times opens at most the depth limit of tags.
    for (int i = 0; i < 1000; ++i) text += "<many>";
    text += "x";
    YSTML stml(YString::FromUTF8(text));
    EXPECT_EQ(stml.Describe().ToUTF8(), "p[bold:\"x\"]");
}

} // namespace
