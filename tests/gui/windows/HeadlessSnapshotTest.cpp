// A small control tree rendered headless into a PNG in the build folder, for a person to
// look at: a panel with a title bar, three swatches, a knob-like control and a pressed
// button, after a click and a hover have changed their looks.
#include "PngSnapshot.h"

#include "gui/drawing/YDrawer.h"
#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YWindow.h"
#include "gui/windows/YWindowSystemHeadless.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef VORNIK_SNAPSHOT_DIR
#define VORNIK_SNAPSHOT_DIR "snapshots"
#endif

namespace {

class Panel : public YPanel {
public:
    using YPanel::YPanel;
    void Paint(YDrawer& d) override {
        const YRect r = WindowRect();
        d.FillRectangleGradient(r, YColor::RGB(52, 58, 70), YColor::RGB(28, 30, 36), false, YColorOp::Copy);
        d.FillRectangle({r.left, r.top, r.right, r.top + 17}, YColor::RGB(70, 110, 170), YColorOp::Copy);
        d.Rectangle(r, YColor::RGB(120, 130, 150), YColorOp::Copy);
    }
};

class Knob : public YControl {
public:
    using YControl::YControl;
    bool hovered = false;
    void HoverChanged(bool h) override {
        hovered = h;
        Repaint();
    }
    void Paint(YDrawer& d) override {
        const YRect r = WindowRect();
        const float cx = (r.left + r.right + 1) * 0.5f;
        const float cy = (r.top + r.bottom + 1) * 0.5f;
        const float radius = r.Width() * 0.5f - 2.0f;
        d.FillCircle(cx, cy, radius, hovered ? YColor::RGB(240, 180, 60) : YColor::RGB(170, 170, 180), YColorOp::Copy);
        d.SetLineWidth(2.0f);
        d.Circle(cx, cy, radius, YColor::RGB(20, 20, 20), YColorOp::Alphablend);
        d.MoveTo(cx, cy);
        d.LineToF(cx + radius * 0.7f, cy - radius * 0.7f, YColor::RGB(20, 20, 20), YColorOp::Alphablend);
        d.SetLineWidth(1.0f);
    }
};

class Button : public YControl {
public:
    Button(YControl* parent) : YControl(parent) { SetUpEvents(YControlUpEvents::kLeftUp); }
    bool on = false;
    bool HandleEvent(YSystemEvent& e) override {
        if (e.code == YEventCode::kLeftUp && WindowRect().Contains(e.point)) {
            on = !on;
            Repaint();
        }
        return e.code == YEventCode::kLeftDown || e.code == YEventCode::kLeftUp;
    }
    void Paint(YDrawer& d) override {
        d.FillRoundRectangle(WindowRect(), 5.0f, on ? YColor::RGB(90, 200, 120) : YColor::RGB(90, 90, 100),
                             YColorOp::Copy);
    }
};

class Swatch : public YControl {
public:
    Swatch(YControl* parent, YColor c) : YControl(parent), colour(c) {}
    YColor colour;
    void Paint(YDrawer& d) override {
        d.FillRectangle(WindowRect(), colour, YColorOp::Copy);
        d.FillRectangle(WindowRect(), YColor::RGB(255, 255, 255, 60), YColorOp::Alphablend);
    }
};

TEST(HeadlessSnapshot, SmallTreeIsWrittenAsPng) {
    YWindowSystemHeadless system;
    YWindow root(&system, "root");
    root.SetSize(240, 160);
    auto* panel = new Panel(&root);
    panel->SetPosition(8, 8);
    panel->SetSize(224, 144);
    const YColor colours[] = {YColor::RGB(220, 60, 60), YColor::RGB(60, 180, 90), YColor::RGB(70, 110, 230)};
    for (int i = 0; i < 3; ++i) {
        auto* s = new Swatch(panel, colours[i]);
        s->SetPosition(12 + i * 40, 30);
        s->SetSize(32, 32);
    }
    auto* knob = new Knob(panel);
    knob->SetPosition(150, 28);
    knob->SetSize(60, 60);
    auto* button = new Button(panel);
    button->SetPosition(12, 100);
    button->SetSize(90, 28);
    system.CreateNativeWindow(root, 0);
    system.Show(root);
    system.Pump();

    // The same events a user would give: hover over the knob, click the button.
    system.SendMouse(root, YEventCode::kMouseMove, {188, 66});
    system.SendMouse(root, YEventCode::kLeftDown, {40, 120}, YEventFlag::kLeftButton);
    system.SendMouse(root, YEventCode::kLeftUp, {40, 120});
    system.Pump();
    EXPECT_TRUE(button->on);
    EXPECT_FALSE(knob->hovered); // the pointer moved on to the button

    const YBaseBitmap* bitmap = system.Bitmap(root);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->At(40, 120), YColor::RGB(90, 200, 120));
    EXPECT_EQ(bitmap->At(20 + 8, 40 + 8), YColor::RGB(227, 105, 105)); // red under a 60/255 white veil

    std::filesystem::create_directories(VORNIK_SNAPSHOT_DIR);
    const std::string path = std::string(VORNIK_SNAPSHOT_DIR) + "/headless-tree.png";
    EXPECT_TRUE(snapshot::WritePng(*bitmap, path)) << path;
}

} // namespace
