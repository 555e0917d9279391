// The gallery: the built-in definition holds every control element, loads and lays out
// inside its window, and renders headless into PNG snapshots in the build folder, once per
// style. Rendering is repeatable, and a main colour of the style shows in the picture.
#include "gui/loader/YGallery.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/style/YBaseStyle.h"
#include "gui/windows/YWindowSystemHeadless.h"

#include "gui/windows/PngSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifndef VORNIK_SNAPSHOT_DIR
#define VORNIK_SNAPSHOT_DIR "snapshots"
#endif

namespace {

std::vector<YColor> Render(YBaseStyle& style, YSize size = {}) {
    YWindowSystemHeadless system;
    YGalleryWindow gallery(&system);
    gallery.SetStyle(&style);
    if (size.x > 0) gallery.SetSize(size.x, size.y);
    system.CreateNativeWindow(gallery, 0);
    system.Show(gallery);
    system.Pump();
    const YBaseBitmap* bitmap = system.Bitmap(gallery);
    if (bitmap == nullptr) return {};
    std::vector<YColor> pixels(bitmap->Pixels(), bitmap->Pixels() + int64_t{bitmap->Width()} * bitmap->Height());
    return pixels;
}

void Snapshot(YBaseStyle& style, const char* name) {
    YWindowSystemHeadless system;
    YGalleryWindow gallery(&system);
    gallery.SetStyle(&style);
    system.CreateNativeWindow(gallery, 0);
    system.Show(gallery);
    system.Pump();
    const YBaseBitmap* bitmap = system.Bitmap(gallery);
    ASSERT_NE(bitmap, nullptr);
    std::filesystem::create_directories(VORNIK_SNAPSHOT_DIR);
    const std::string path = std::string(VORNIK_SNAPSHOT_DIR) + "/" + name;
    EXPECT_TRUE(snapshot::WritePng(*bitmap, path)) << path;
}

void CollectNames(const YXMLItem& item, std::set<std::string>& names) {
    for (const YXMLItem& child : item.Children()) {
        std::string name = child.GetName().ToUTF8();
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        names.insert(name);
        CollectNames(child, names);
    }
}

TEST(Gallery, HoldsEveryControlElement) {
    std::set<std::string> names;
    CollectNames(*YGalleryWindow::Definition(), names);
    for (const char* element :
         {"control", "panel", "container", "static", "multilinestatic", "button", "repeaterbutton", "checkbox",
          "comboedit", "edit", "multilineedit", "tabset", "listbox", "treecontrol", "menubar", "progressbar",
          "scrollbar", "tracker", "rotator", "knob", "zoomer", "splitter", "switcher", "directorytree",
          "coloreditor", "colorselectbutton", "filelistbox", "fileselector", "grapheditor",
          "signalgeneratoreditor", "vector2deditor"}) {
        EXPECT_TRUE(names.count(element) == 1) << element;
    }
}

TEST(Gallery, LaysOutEveryControlInsideTheWindowWithoutOverlap) {
    const YStyle* saved = YStyle::Install(nullptr);
    YBaseStyle style;
    YGalleryWindow gallery(nullptr);
    gallery.SetStyle(&style);
    for (const YSize size : {YSize{820, 600}, YSize{1100, 760}}) {
        SCOPED_TRACE(size.x);
        gallery.SetSize(size.x, size.y);
        const YRect window = gallery.WindowRect();
        // The controls that a layout placed: inside the window, not empty, and no two of
        // one layout overlap.
        std::vector<const YControl*> stack{&gallery};
        int32_t placed = 0;
        while (!stack.empty()) {
            const YControl* c = stack.back();
            stack.pop_back();
            for (const YControl* child : c->Children()) stack.push_back(child);
            for (int32_t l = 0; l < c->LayoutCount(); ++l) {
                const YLayout* layout = c->Layout(l);
                for (int32_t i = 0; i < layout->Count(); ++i) {
                    const YControl& a = layout->At(i);
                    if (!a.IsVisible()) continue;
                    ++placed;
                    const YRect r = a.WindowRect();
                    EXPECT_FALSE(r.IsEmpty()) << a.Id().ToUTF8();
                    EXPECT_EQ(r.Intersect(window), r) << a.Id().ToUTF8() << " leaves the window";
                    for (int32_t j = i + 1; j < layout->Count(); ++j) {
                        const YControl& b = layout->At(j);
                        if (!b.IsVisible()) continue;
                        EXPECT_TRUE(r.Intersect(b.WindowRect()).IsEmpty()) << a.Id().ToUTF8() << " / " << b.Id().ToUTF8();
                    }
                }
            }
        }
        EXPECT_GT(placed, 40);
    }
    // The bands keep their thickness; the middle column takes what grows.
    EXPECT_EQ(gallery.FindById("ok")->WindowRect().Width(), 150);
    EXPECT_GT(gallery.FindById("list")->WindowRect().Width(), 180);
    YStyle::Install(const_cast<YStyle*>(saved));
}

TEST(Gallery, RendersBothStylesIntoSnapshots) {
    YBaseStyle light(YBaseStyle::Theme::kLight);
    YBaseStyle dark(YBaseStyle::Theme::kDark);
    Snapshot(light, "gallery-light.png");
    Snapshot(dark, "gallery-dark.png");
    EXPECT_NE(Render(light), Render(dark));
}

TEST(Gallery, RendersIdenticallyTwiceAndShowsAChangedMainColour) {
    YBaseStyle style;
    const std::vector<YColor> first = Render(style);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(Render(style), first);
    style.SetMainColor(0, YColor::RGB(200, 40, 40));
    const std::vector<YColor> tinted = Render(style);
    ASSERT_EQ(tinted.size(), first.size());
    size_t changed = 0;
    for (size_t i = 0; i < first.size(); ++i) changed += first[i] != tinted[i] ? 1 : 0;
    EXPECT_GT(changed, first.size() / 20) << "the control background colour covers much of the window";
}

} // namespace
