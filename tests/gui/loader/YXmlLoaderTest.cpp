// The XML GUI loader: the registry's lookup, the creation order (layout membership, the
// client control), value elements, the number rule and bad definitions.
#include "gui/loader/YPlaceholderControl.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YLayout.h"
#include "gui/toolkit/YStyle.h"
#include "gui/toolkit/layouts/YLayoutGrid.h"
#include "gui/toolkit/layouts/YLayoutLinear.h"
#include "gui/toolkit/layouts/YLayoutSide.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

namespace {

using Loader = YControl::YXmlLoader;

std::unique_ptr<YXMLDocument> Parse(const std::string& xml) {
    auto document = std::make_unique<YXMLDocument>();
    YMemoryStream stream(xml.data(), static_cast<int32_t>(xml.size()));
    document->Load(stream);
    return document;
}

// Loads the children of the definition's root element into a fresh container.
std::unique_ptr<YContainer> Load(const std::string& xml) {
    auto root = std::make_unique<YContainer>(nullptr);
    auto document = Parse(xml);
    Loader::LoadChildren(*root, *document, false);
    return root;
}

TEST(XmlLoaderRegistry, HashesNamesIntoThirtyTwoBucketsIgnoringCase) {
    struct Case {
        const char* name;
        uint32_t hash;
    };
    // Short names xor each character shifted by its index; from 16 characters on, every
    // fourth character is sampled (at most eight), the k-th shifted by 4k.
    const Case cases[] = {
        {"a", 97}, {"button", 2504}, {"BUTTON", 2504}, {"colorselectbutton", 471619},
        {"signalgeneratoreditor", 6498403}, {"SignalGeneratorEditor", 6498403}, {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Loader::Hash(YString::FromUTF8(c.name)), c.hash) << c.name;
}

TEST(XmlLoaderRegistry, FindsEveryElementOfTheTablesWhateverItsCase) {
    for (const char* name : {"grid", "top", "left", "right", "bottom", "corner", "vertical", "horizontal", "overlay",
                             "occupyborder", "control", "panel", "container", "static", "multilinestatic", "button",
                             "repeaterbutton", "checkbox", "comboedit", "edit", "multilineedit", "tabset", "listbox",
                             "treecontrol", "menubar", "progressbar", "scrollbar", "tracker", "rotator", "knob",
                             "zoomer", "splitter", "switcher", "directorytree", "coloreditor", "colorselectbutton",
                             "filelistbox", "fileselector", "grapheditor", "signalgeneratoreditor", "vector2deditor"}) {
        std::string upper = name;
        for (char& ch : upper) {
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        }
        const Loader::Creator* creator = Loader::FindCreator(YString::FromUTF8(name));
        EXPECT_NE(creator, nullptr) << name;
        EXPECT_EQ(Loader::FindCreator(YString::FromUTF8(upper)), creator) << upper;
    }
    EXPECT_EQ(Loader::FindCreator("Button"), Loader::FindCreator("button"));
    for (const char* unknown : {"buttons", "butto", "value", "item", "", "grid "}) {
        EXPECT_EQ(Loader::FindCreator(YString::FromUTF8(unknown)), nullptr) << unknown;
    }
}

TEST(XmlLoaderRegistry, ALaterRegistrationReplacesTheFactoryOfItsName) {
    struct Counting : Loader::Creator {
        mutable int made = 0;
        void Create(YControl& parent, const YXMLItem&, bool) const override {
            ++made;
            new YContainer(&parent);
        }
    };
    auto owned = std::make_unique<Counting>();
    Counting* counting = owned.get();
    Loader::Register("TestOnlyWidget", std::move(owned));
    EXPECT_EQ(Loader::FindCreator("testonlywidget"), counting);
    auto root = Load("<gui><testonlywidget/><TESTONLYWIDGET/></gui>");
    EXPECT_EQ(counting->made, 2);
    EXPECT_EQ(root->ChildCount(), 2);
}

TEST(XmlLoader, ControlsJoinTheLayoutOfTheirLevelUnlessTheyAreTheClientControl) {
    auto root = Load(R"(<gui>
        <top><static id="title"/></top>
        <horizontal layoutspace="3">
            <button id="ok" space="5"/>
            <Button id="cancel" clientlayout="0"/>
            <panel id="client" clientlayout="1">
                <edit id="inner"/>
                <vertical><checkbox id="nested"/></vertical>
            </panel>
        </horizontal>
        <knob id="loose"/>
    </gui>)");
    ASSERT_EQ(root->LayoutCount(), 2);
    YLayout* top = root->Layout(0);
    YLayout* row = root->Layout(1);
    EXPECT_NE(dynamic_cast<YLayoutTop*>(top), nullptr);
    EXPECT_NE(dynamic_cast<YLayoutHorizontal*>(row), nullptr);
    EXPECT_EQ(row->spacing, 3);
    struct Case {
        const char* id;
        YLayout* layout;
    };
    YControl* panel = root->FindById("client");
    ASSERT_NE(panel, nullptr);
    const Case cases[] = {
        {"title", top}, {"ok", row}, {"cancel", row},
        {"client", nullptr},                  // the client control stays out of the layout
        {"inner", nullptr},                   // directly inside a control: in no layout
        {"nested", panel->Layout(0)},         // inside the panel's own layout
        {"loose", nullptr},                   // directly inside the root: this level adds none
    };
    for (const Case& c : cases) {
        YControl* control = root->FindById(YString::FromUTF8(c.id));
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(control->OwningLayout(), c.layout) << c.id;
    }
    EXPECT_EQ(root->ClientControl(), panel);
    EXPECT_EQ(root->FindById("ok")->layoutExtraSpace, 5);
    EXPECT_EQ(panel->Parent(), root.get());
    EXPECT_EQ(root->FindById("inner")->Parent(), panel);
    // Elements without their own class yet are placeholders that keep the element's name.
    auto* placeholder = dynamic_cast<YPlaceholderControl*>(root->FindById("loose"));
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->ElementName().ToUTF8(), "knob");
}

TEST(XmlLoader, ALevelThatAddsToLayoutsUsesTheNewestLayoutOfItsControl) {
    YContainer root(nullptr);
    auto document = Parse(R"(<gui><static id="first"/><vertical/><static id="second"/><top/><static id="third"/></gui>)");
    Loader::LoadChildren(root, *document, true);
    EXPECT_EQ(root.FindById("first")->OwningLayout(), nullptr) << "no layout yet";
    EXPECT_EQ(root.FindById("second")->OwningLayout(), root.Layout(0));
    EXPECT_EQ(root.FindById("third")->OwningLayout(), root.Layout(1));
}

TEST(XmlLoader, GridChildrenTakeTheirCellsAndSpans) {
    auto root = Load(R"(<gui><grid columns="3" verticalfill="1">
        <static id="a"/><static id="b" hspan="2"/><static id="c"/><static id="d" vspan="2"/>
    </grid></gui>)");
    auto* grid = dynamic_cast<YLayoutGrid*>(root->Layout(0));
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->verticalFill);
    EXPECT_EQ(grid->Cell(1, 0), root->FindById("d")) << "the fourth control starts row 1";
    EXPECT_EQ(YLayoutGrid::HorizontalSpan(*root->FindById("b")), 2);
    EXPECT_EQ(YLayoutGrid::VerticalSpan(*root->FindById("d")), 2);
}

TEST(XmlLoader, ReadsNumbersUpToTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {{"-12abc", -12}, {"12", 12}, {"abc", 0}, {"-", 0}, {"", 0}, {"7.9", 7}, {"+5", 0},
                          {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto root = Load(std::string("<gui><control id=\"x\" posx=\"") + c.text + "\" layoutratiox=\"" + c.text +
                         "\"/></gui>");
        YControl* x = root->FindById("x");
        EXPECT_EQ(x->Position().x, c.value);
        EXPECT_EQ(x->layoutRatioX, c.value);
    }
}

TEST(XmlLoader, ValueElementsMakeTheirConverters) {
    struct Case {
        const char* element;
        const char* sameAs; // another element of the same class, or nullptr
        double min, max;
    };
    const Case cases[] = {
        {"int", "int32", 0, 1}, {"percents", nullptr, 0, 1}, {"pitch", nullptr, -12, 12}, {"double", nullptr, 0, 1},
        {"frequencylog", nullptr, 0, 1}, {"controltype", nullptr, 0, 22}, {"threadpriority", nullptr, 0, 6},
        {"stdicon", nullptr, 0, 52}, {"checkboxstate", nullptr, 0, 2}, {"captiontype", nullptr, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        auto document = Parse(std::string("<value><") + c.element + "/></value>");
        std::unique_ptr<YValue> value = Loader::CreateValue(*document);
        ASSERT_NE(value, nullptr);
        EXPECT_DOUBLE_EQ(value->Min(), c.min);
        EXPECT_DOUBLE_EQ(value->Max(), c.max);
        if (c.sameAs != nullptr) {
            auto other = Loader::CreateValue(*Parse(std::string("<value><") + c.sameAs + "/></value>"));
            ASSERT_NE(other, nullptr);
            EXPECT_EQ(typeid(*value), typeid(*other));
        }
    }
    // The element's attributes configure the converter; its variable is its own.
    auto document = Parse(R"(<value><unknown/><int id="steps" min="-5" max="20" default="3" value="7"/></value>)");
    std::unique_ptr<YValue> steps = Loader::CreateValue(*document);
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(steps->Id().ToUTF8(), "steps");
    EXPECT_DOUBLE_EQ(steps->Min(), -5);
    EXPECT_DOUBLE_EQ(steps->Max(), 20);
    EXPECT_DOUBLE_EQ(steps->Get(), 7);
    steps->Set(99);
    EXPECT_DOUBLE_EQ(steps->Get(), 20);
    EXPECT_EQ(Loader::CreateValue(*Parse("<value><knob/></value>")), nullptr);
}

TEST(XmlLoader, IgnoresUnknownElementsAndAttributes) {
    auto root = Load(R"(<gui frobnicate="1">
        <frobnicator><static id="hidden-in-unknown"/></frobnicator>
        <vertical wobble="3"><static id="s" wobble="x" sizex="12"/></vertical>
    </gui>)");
    EXPECT_EQ(root->FindById("hidden-in-unknown"), nullptr) << "an unknown element is skipped with its children";
    ASSERT_NE(root->FindById("s"), nullptr);
    EXPECT_EQ(root->FindById("s")->Size().x, 12);
}

TEST(XmlLoader, BadDefinitionsRaiseClearErrors) {
    struct Case {
        const char* xml;
        const char* message;
    };
    const Case cases[] = {
        {R"(<gui><static layoutplacement="middle"/></gui>)", "Invalid YAlignment identifier to parse (middle)."},
        {R"(<gui><static controltype="dial"/></gui>)", "Invalid YControlType identifier to parse (dial)."},
        {R"(<gui><static font="huge"/></gui>)", "Invalid YStdFont identifier to parse (huge)."},
        {R"(<gui><static captiontype="tiny"/></gui>)", "Invalid caption type identifier to parse (tiny)."},
        {R"(<gui><corner><static target="middle"/></corner></gui>)", "Invalid target for corner layout."},
        {R"(<gui><occupyborder><static/></occupyborder></gui>)",
         "Service \"add control to occupy-space layout\" is not implemented."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        EXPECT_EQ(RaisedMessage([&] { Load(c.xml); }), c.message);
    }
}

TEST(XmlLoader, ReadsTheCommonAttributesInTheirOrderUpToAnError) {
    YContainer root(nullptr);
    auto document = Parse(R"(<gui><control id="c" sizex="30" layoutratiox="2" clientlayout="1"
        layoutplacement="upside,down" caption="never read" captiontype="large"/></gui>)");
    EXPECT_EQ(RaisedMessage([&] { Loader::LoadChildren(root, *document, true); }),
              "Invalid YAlignment identifier to parse (upside,down).");
    YControl* c = root.FindById("c");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Size().x, 30);
    EXPECT_EQ(c->layoutRatioX, 2);
    EXPECT_EQ(root.ClientControl(), c);
    EXPECT_TRUE(c->Caption().IsEmpty());
    EXPECT_EQ(c->CaptionType(), YCaptionType::kNormal);
    // The same attributes, all good: type, font and caption type by name.
    YContainer other(nullptr);
    auto good = Parse(R"(<gui><control id="d" controltype="button" font="Bold" captiontype="large"
        layoutplacement="right,bottom" collapsed="1"/></gui>)");
    Loader::LoadChildren(other, *good, false);
    YControl* d = other.FindById("d");
    EXPECT_EQ(d->Type(), YControlType::kButton);
    EXPECT_EQ(d->Font(), static_cast<int32_t>(YStdFont::kBold));
    EXPECT_EQ(d->CaptionType(), YCaptionType::kLarge);
    EXPECT_EQ(d->layoutPlacement, YAlignment::kRight | YAlignment::kBottom);
    EXPECT_TRUE(d->HasFlag(YControlFlag::kCollapsed));
}

TEST(XmlLoader, RefusesDeepNestingWithoutExhaustingTheStack) {
    for (const int levels : {Loader::kMaxDepth - 2, 10000}) {
        SCOPED_TRACE(levels);
        std::string xml = "<gui>";
        for (int i = 0; i < levels; ++i) xml += "<panel>";
        for (int i = 0; i < levels; ++i) xml += "</panel>";
        xml += "</gui>";
        const std::string message = RaisedMessage([&] { Load(xml); });
        if (levels < Loader::kMaxDepth) {
            EXPECT_EQ(message, "(nothing raised)");
        } else {
            EXPECT_EQ(message, "GUI definition nested deeper than 256 levels.");
        }
    }
    // The depth count starts again for the next definition.
    EXPECT_EQ(RaisedMessage([] { Load("<gui><panel><panel/></panel></gui>"); }), "(nothing raised)");
}

} // namespace
