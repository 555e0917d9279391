#include "foundation/YXMLItem.h"

#include "StreamTestSupport.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {
std::vector<std::string> AttributeNames(const YXMLItem& item) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < item.GetAttributeCount(); ++i)
        names.push_back(item.GetAttributeAt(i).name.ToUTF8());
    return names;
}
std::vector<std::string> ChildNames(const YXMLItem& item) {
    std::vector<std::string> names;
    for (YXMLItem& child : item.Children()) names.push_back(child.GetName().ToUTF8());
    return names;
}
} // namespace

TEST(YXMLItemTest, AttributesStaySortedAndUnique) {
    YXMLItem item("Parameter");
    item.SetAttribute("value", "0.5");
    item.SetAttribute("id", "Depth");
    item.SetAttribute("Zeta", "upper case sorts first");
    item.SetAttribute("id", "Rate");
    EXPECT_EQ(AttributeNames(item), (std::vector<std::string>{"Zeta", "id", "value"}));
    EXPECT_EQ(item.GetAttribute("id").ToUTF8(), "Rate");
    EXPECT_TRUE(item.RemoveAttribute("Zeta"));
    EXPECT_FALSE(item.RemoveAttribute("Zeta"));
    EXPECT_FALSE(item.RemoveAttribute("i")); // whole-name comparison, no prefixes
    EXPECT_EQ(AttributeNames(item), (std::vector<std::string>{"id", "value"}));
}

TEST(YXMLItemTest, ManyAttributesInRandomOrderAreAllFound) {
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back(Cat("a", std::to_string(i * 7919 % 1000)));
    std::vector<std::string> shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
    YXMLItem item("x");
    for (const std::string& name : shuffled)
        item.SetAttribute(YString::FromUTF8(name), YString::FromUTF8(Cat("v", name)));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(AttributeNames(item), names);
    for (const std::string& name : names)
        EXPECT_EQ(item.GetAttribute(YString::FromUTF8(name)).ToUTF8(), Cat("v", name));
    EXPECT_EQ(item.FindAttribute("a1001"), nullptr);
}

TEST(YXMLItemTest, MissingAttributesRaiseOrGiveTheDefault) {
    YXMLItem item("Controller3");
    item.SetAttribute("cc", "7");
    RaisedError error = Raised([&] { item.GetAttribute("channel"); });
    EXPECT_EQ(error.message, "Could not find required attribute (channel).");
    EXPECT_EQ(item.GetAttribute("channel", "16").ToUTF8(), "16");
    EXPECT_EQ(item.GetAttribute("cc", "16").ToUTF8(), "7");
}

TEST(YXMLItemTest, HasAttributeFillsTheCacheAndEditsKeepItRight) {
    YXMLItem item("x");
    item.SetAttribute("m", "1");
    item.SetAttribute("z", "2");
    EXPECT_TRUE(item.HasAttribute("m"));
    ASSERT_NE(item.GetCachedAttribute(), nullptr);
    EXPECT_EQ(item.GetCachedAttribute()->value.ToUTF8(), "1");
    item.SetAttribute("a", "0"); // inserted before the cached one
    EXPECT_EQ(item.GetCachedAttribute()->name.ToUTF8(), "m");
    EXPECT_EQ(item.GetAttribute("m").ToUTF8(), "1");
    item.RemoveAttribute("a");
    EXPECT_EQ(item.GetCachedAttribute()->name.ToUTF8(), "m");
    item.RemoveAttribute("m");
    EXPECT_EQ(item.GetCachedAttribute(), nullptr);
    EXPECT_FALSE(item.HasAttribute("nothing"));
    EXPECT_EQ(item.GetCachedAttribute(), nullptr);
    EXPECT_EQ(item.GetAttribute("z").ToUTF8(), "2");
}

TEST(YXMLItemTest, ChildrenAreLinkedInOrderWithTheirDepth) {
    YXMLItem root("settings");
    YXMLItem& a = root.AddChild("Edit");
    YXMLItem& b = root.AddChild("Other");
    YXMLItem& c = root.AddChild("Edit");
    YXMLItem& grandchild = b.AddChild("Deep");
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"Edit", "Other", "Edit"}));
    EXPECT_EQ(root.GetDepth(), 0);
    EXPECT_EQ(a.GetDepth(), 1);
    EXPECT_EQ(grandchild.GetDepth(), 2);
    EXPECT_EQ(grandchild.GetParent(), &b);
    EXPECT_EQ(a.GetPreviousSibling(), nullptr);
    EXPECT_EQ(a.GetNextSibling(), &b);
    EXPECT_EQ(b.GetNextSibling(), &c);
    EXPECT_EQ(c.GetPreviousSibling(), &b);
    EXPECT_EQ(c.GetNextSibling(), nullptr);

    EXPECT_EQ(&root.GetOrCreateChild("Edit"), &a); // the first of two
    YXMLItem& created = root.GetOrCreateChild("New");
    EXPECT_EQ(created.GetPreviousSibling(), &c);
    EXPECT_EQ(&root.GetOrCreateChild("New"), &created);
    EXPECT_EQ(root.GetChildCount(), 4);
    EXPECT_TRUE(created.GetText().IsEmpty());
    EXPECT_EQ(created.GetAttributeCount(), 0);

    EXPECT_EQ(&root.GetChild("Other"), &b);
    EXPECT_EQ(Raised([&] { root.GetChild("Missing"); }).message,
              "Could not find required subitem (Missing).");
    EXPECT_EQ(Raised([&] { root.GetChildAt(4); }).message, "Index out of range.");
}

TEST(YXMLItemTest, RemovingAChildRelinksItsSiblings) {
    YXMLItem root("r");
    YXMLItem& a = root.AddChild("a");
    YXMLItem& b = root.AddChild("b");
    YXMLItem& c = root.AddChild("c");
    b.AddChild("inside");
    EXPECT_TRUE(root.RemoveChild(b));
    EXPECT_EQ(a.GetNextSibling(), &c);
    EXPECT_EQ(c.GetPreviousSibling(), &a);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "c"}));
    YXMLItem stranger("s");
    EXPECT_FALSE(root.RemoveChild(stranger));
}

TEST(YXMLItemTest, IteratorsWalkChildrenAndRefuseUseBeforePositioning) {
    YXMLItem root("r");
    for (const char* name : {"Controller0", "Note", "Controller1", "Controller0"})
        root.AddChild(YString::Literal(name));
    YXMLItem::Iterator unpositioned;
    EXPECT_FALSE(unpositioned.IsValid());
    EXPECT_EQ(Raised([&] { unpositioned.Get(); }).message, "XML item iterator has not been initialized.");
    EXPECT_EQ(Raised([&] { unpositioned.Next(); }).message, "XML item iterator has not been initialized.");

    std::vector<std::string> all;
    for (YXMLItem::Iterator it(root); it.IsValid(); it.Next()) all.push_back(it->GetName().ToUTF8());
    EXPECT_EQ(all, (std::vector<std::string>{"Controller0", "Note", "Controller1", "Controller0"}));
    int named = 0;
    for (YXMLItem::Iterator it(root, "Controller0"); it.IsValid(); it.Next()) {
        EXPECT_EQ((*it).GetName().ToUTF8(), "Controller0");
        ++named;
    }
    EXPECT_EQ(named, 2);
    YXMLItem::Iterator past(root, "Absent");
    EXPECT_FALSE(past.IsValid());
    EXPECT_EQ(Raised([&] { past.Get(); }).message, "Index out of range.");
}

TEST(YXMLItemTest, ClearKeepsOnlyTheName) {
    YXMLItem item("keep");
    item.SetText("text");
    item.SetAttribute("a", "1");
    item.AddChild("c").AddChild("d");
    item.HasAttribute("a");
    item.Clear();
    EXPECT_EQ(item.GetName().ToUTF8(), "keep");
    EXPECT_TRUE(item.GetText().IsEmpty());
    EXPECT_EQ(item.GetAttributeCount(), 0);
    EXPECT_EQ(item.GetChildCount(), 0);
    EXPECT_EQ(item.GetCachedAttribute(), nullptr);
    EXPECT_EQ(item.GetFirstChild(), nullptr);
}

TEST(YXMLItemTest, AVeryDeepTreeIsDestroyedWithoutRecursion) {
    auto root = std::make_unique<YXMLItem>("root");
    YXMLItem* item = root.get();
    for (int i = 0; i < 200000; ++i) item = &item->AddChild("n");
    EXPECT_EQ(item->GetDepth(), 200000);
    root.reset(); // a recursive destructor would overflow the stack here
    SUCCEED();
}
