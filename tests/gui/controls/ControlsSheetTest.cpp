// One sheet of the general controls, built from a GUI definition through the loader and
// painted headless by both built-in styles into PNGs in the build folder, for a person to
// look at. The checks make sure every control painted something of its own and that the
// two themes and a state change show.
#include "ControlsFixture.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "gui/controls/YEdit.h"
#include "gui/controls/YMenuBar.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/style/YBaseStyle.h"
#include "gui/windows/PngSnapshot.h"

#include <filesystem>
#include <set>
#include <string>

#ifndef VORNIK_SNAPSHOT_DIR
#define VORNIK_SNAPSHOT_DIR "snapshots"
#endif

namespace {

const char* const kSheet = R"(<gui>
  <menubar id="menubar" posx="0" posy="0" sizex="640" sizey="24">
    <item text="File"><item text="New" shortcut="Ctrl+N" id="1" icon="add"/><item text="Open..." id="2" icon="load"/>
      <item text="-"/><item text="Recent"><item text="One"/><item text="Two"/></item><item text="Quit" enabled="0"/></item>
    <item text="Edit" items="Copy|Paste"/>
    <item text="Help" items="About"/>
  </menubar>
  <static id="title" caption="General controls" font="bold" posx="12" posy="32" sizex="200" sizey="20"/>
  <button id="ok" caption="OK" posx="12" posy="60" sizex="90" sizey="28"/>
  <button id="switched" caption="Bypass" switchable="1" switched="1" posx="110" posy="60" sizex="90" sizey="28"/>
  <button id="disabled" caption="Disabled" enabled="0" posx="208" posy="60" sizex="90" sizey="28"/>
  <repeaterbutton id="repeat" icon="22" posx="306" posy="60" sizex="28" sizey="28"/>
  <button id="iconbutton" caption="Load" icon="load" posx="342" posy="60" sizex="90" sizey="28"/>
  <checkbox id="off" caption="Off" posx="12" posy="98" sizex="90" sizey="22"/>
  <checkbox id="on" caption="On" check="on" posx="110" posy="98" sizex="90" sizey="22"/>
  <checkbox id="grayed" caption="Grayed" threestate="1" check="grayed" posx="208" posy="98" sizex="100" sizey="22"/>
  <edit id="edit" text="Edit me, select me" selectionstart="8" selectionend="17" posx="12" posy="130" sizex="200" sizey="26"/>
  <edit id="number" text="-12.5" filter="float" posx="220" posy="130" sizex="90" sizey="26"/>
  <edit id="password" text="secret" showchar="42" posx="318" posy="130" sizex="114" sizey="26"/>
  <multilineedit id="notes" text="A multi-line edit wraps its lines at blanks to the width it has, and scrolls." posx="12" posy="166" sizex="200" sizey="84"/>
  <multilinestatic id="about" caption="A wrapped static text: it breaks its caption into lines that fit its width." posx="220" posy="166" sizex="212" sizey="84"/>
  <listbox id="list" multiselect="1" itemchecks="1" posx="12" posy="260" sizex="200" sizey="130">
    <item text="Sine" check="on"/><item text="Triangle" selected="1"/><item text="Saw" selected="1" check="on"/>
    <item text="Square"/><item text="Noise"/><item text="Custom"/><item text="Sample and hold"/>
  </listbox>
  <treecontrol id="tree" posx="220" posy="260" sizex="212" sizey="130">
    <item text="Presets" expanded="1"><item text="Factory" expanded="1"><item text="Slow sweep"/><item text="Jet"/></item>
      <item text="User"/></item>
    <item text="Styles"><item text="Light"/><item text="Dark"/></item>
  </treecontrol>
  <tabset id="tabs" items="General|Modulation|About" original="1" posx="440" posy="32" sizex="190" sizey="26"/>
  <progressbar id="progress" mmin="0" mmax="10" value="7" posx="440" posy="68" sizex="190" sizey="14"/>
  <scrollbar id="hscroll" vertical="0" mmin="0" mmax="100" pagesize="20" position="30" posx="440" posy="92" sizex="190" sizey="14"/>
  <scrollbar id="vscroll" mmin="0" mmax="100" pagesize="40" position="60" posx="616" posy="116" sizex="14" sizey="130"/>
</gui>)";

// The window's background as the style paints a window: the controls that leave their
// background open are painted on it, not on what the last frame left.
class Backdrop : public YControl {
public:
    using YControl::YControl;
    void Paint(YDrawer& drawer) override {
        drawer.FillRectangle(WindowRect(), YColor::RGB(128, 128, 128), YColorOp::Copy);
        if (YStyle* style = YStyleOf(*this)) style->DrawControl(drawer, YControlType::kWindow, 0, WindowRect());
    }
    bool IsEligible() override { return false; }
};

class ControlsSheet : public ControlsFixture {
protected:
    void Build() {
        root.SetSize(640, 400);
        Place(new Backdrop(&root, "backdrop"), YRect::FromSize(0, 0, 640, 400));
        YXMLDocument document;
        const std::string xml = kSheet;
        YMemoryStream stream(xml.data(), static_cast<int32_t>(xml.size()));
        document.Load(stream);
        YControl::YXmlLoader::LoadChildren(root, document, false);
    }
    const YBaseBitmap& Render(YStyle& style) {
        root.SetStyle(&style);
        root.MarkTreeForRepaint();
        root.Invalidate(YRect::FromSize(0, 0, 640, 400));
        system.Pump();
        return *system.Bitmap(root);
    }
    // Distinct colours inside a rectangle of the window.
    static size_t Colours(const YBaseBitmap& bitmap, const YRect& rect) {
        std::set<uint32_t> seen;
        for (int32_t y = rect.top; y <= rect.bottom; ++y) {
            const YColor* row = bitmap.Row(y);
            for (int32_t x = rect.left; x <= rect.right; ++x) {
                seen.insert(static_cast<uint32_t>(row[x].r) << 16 | static_cast<uint32_t>(row[x].g) << 8 | row[x].b);
            }
        }
        return seen.size();
    }
    static std::string Path(const char* name) {
        std::filesystem::create_directories(VORNIK_SNAPSHOT_DIR);
        return std::string(VORNIK_SNAPSHOT_DIR) + "/" + name;
    }
};

TEST_F(ControlsSheet, BothStylesPaintEveryControlAndTheSheetsAreWritten) {
    Build();
    ASSERT_NE(root.FindById("tabs"), nullptr);
    root.FindById("edit")->SetFocus();
    YBaseStyle light(YBaseStyle::Theme::kLight);
    YBaseStyle dark(YBaseStyle::Theme::kDark);
    const YBaseBitmap& lightSheet = Render(light);
    ASSERT_TRUE(snapshot::WritePng(lightSheet, Path("controls-light.png")));
    std::vector<YColor> lightPixels(lightSheet.Row(0), lightSheet.Row(0) + 640 * 400);

    // Every control paints something on its background.
    for (YControl* control : root.Children()) {
        if (!control->IsVisible()) continue;
        EXPECT_GE(Colours(lightSheet, control->WindowRect()), 2u) << control->Id().ToUTF8();
    }

    const YBaseBitmap& darkSheet = Render(dark);
    ASSERT_TRUE(snapshot::WritePng(darkSheet, Path("controls-dark.png")));
    int32_t differing = 0;
    for (int32_t i = 0; i < 640 * 400; ++i) {
        const YColor a = lightPixels[static_cast<size_t>(i)];
        const YColor b = darkSheet.Row(0)[i];
        if (a.r != b.r || a.g != b.g || a.b != b.b) ++differing;
    }
    EXPECT_GT(differing, 640 * 400 / 3); // the dark theme repaints most of the sheet

    // An open menu and a focused list, as a user would see them.
    auto* bar = static_cast<YMenuBar*>(root.FindById("menubar"));
    root.FindById("list")->SetFocus();
    Click({bar->TitleRect(0).left + 5, 10});
    Mouse(YEventCode::kMouseMove, {bar->TitleRect(0).left + 20, 24 + 3 + 14});
    const YBaseBitmap& menuSheet = Render(light);
    ASSERT_TRUE(snapshot::WritePng(menuSheet, Path("controls-light-menu.png")));
    const YRect menuArea = YRect::FromSize(0, 26, 150, 120);
    EXPECT_GE(Colours(menuSheet, menuArea), 3u);
    root.SetStyle(nullptr);
}

TEST_F(ControlsSheet, TheSameStateRendersTheSameAndAClickChangesOnlyTheList) {
    Build();
    YBaseStyle light(YBaseStyle::Theme::kLight);
    std::vector<YColor> first;
    {
        const YBaseBitmap& b = Render(light);
        first.assign(b.Row(0), b.Row(0) + 640 * 400);
    }
    auto same = [](YColor x, YColor y) { return x.r == y.r && x.g == y.g && x.b == y.b; };
    {
        const YBaseBitmap& b = Render(light);
        EXPECT_TRUE(std::equal(first.begin(), first.end(), b.Row(0), same));
    }
    YControl* list = root.FindById("list");
    const YRect listRect = list->WindowRect();
    Click({listRect.left + 60, listRect.top + 2 + 3 * 20 + 8});
    const YBaseBitmap& after = Render(light);
    int32_t insideChanged = 0;
    int32_t outsideChanged = 0;
    for (int32_t y = 0; y < 400; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            if (same(first[static_cast<size_t>(y * 640 + x)], after.Row(y)[x])) continue;
            if (listRect.Contains({x, y})) ++insideChanged;
            else ++outsideChanged;
        }
    }
    EXPECT_GT(insideChanged, 0);
    EXPECT_EQ(outsideChanged, 0);
    root.SetStyle(nullptr);
}

} // namespace
