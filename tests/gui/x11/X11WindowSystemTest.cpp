// The X11 window system with a control tree: embedded in a host-like parent, painted through
// the tree, synthetic input reaching the control under the pointer, repaint requests from the
// invalidator thread, host resizes, timers and the deferred close.
#include "gui/toolkit/RecordingControl.h"
#include "gui/windows/x11/YWindowSystemX11.h"
#include "support/WaitUntil.h"

#include "gui/drawing/YDrawer.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <cstdlib>

namespace {

constexpr int kParentX = 30;
constexpr int kParentY = 40;

// A control that fills itself with one colour, which tests may change.
class Swatch : public RecordingControl {
public:
    Swatch(YControl* parent, const char* id, EventLog& log, YRect rect, YColor colour)
        : RecordingControl(parent, id, log, rect), colour(colour) {}
    void Paint(YDrawer& drawer) override { drawer.FillRectangle(WindowRect(), colour, YColorOp::Copy); }
    YColor colour;
};

class Root : public YWindow {
public:
    using YWindow::YWindow;
    void Paint(YDrawer& drawer) override {
        drawer.FillRectangle(WindowRect(), YColor::RGB(40, 40, 40), YColorOp::Copy);
    }
    bool CloseRequest() override {
        ++closeRequests;
        return true;
    }
    int closeRequests = 0;
};

class X11WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the GUI tests run on a display (tests/support/with-xvfb.sh)";
        m_host = XOpenDisplay(nullptr);
        ASSERT_NE(m_host, nullptr);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        m_parent = XCreateWindow(m_host, DefaultRootWindow(m_host), kParentX, kParentY, 400, 300, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        XMapWindow(m_host, m_parent);
        XSync(m_host, False);

        m_root = std::make_unique<Root>(&m_system);
        m_root->SetSize(200, 120);
        m_a = new Swatch(m_root.get(), "a", m_log, YRect::FromSize(10, 10, 80, 50), YColor::RGB(200, 30, 30));
        m_b = new Swatch(m_root.get(), "b", m_log, YRect::FromSize(110, 10, 80, 50), YColor::RGB(30, 30, 200));
        m_system.CreateNativeWindow(*m_root, 0);
        m_system.SetParentWindow(*m_root, static_cast<YNativeWindow>(m_parent));
        m_system.Show(*m_root);
        ASSERT_TRUE(Pump([&] { return ScreenColour(50, 30) == 0xC81E1Eu; }));
    }

    void TearDown() override {
        m_root.reset();
        XDestroyWindow(m_host, m_parent);
        XCloseDisplay(m_host);
    }

    template <typename F> bool Pump(F&& condition, uint32_t timeoutMs = 3000) {
        return WaitUntil(
            [&] {
                XSync(m_host, False);
                m_system.ProcessPendingMessages();
                return condition();
            },
            timeoutMs);
    }

    unsigned long ScreenColour(int x, int y) {
        XImage* image = XGetImage(m_host, m_parent, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0xFFFFFFFFul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
        XDestroyImage(image);
        return pixel;
    }

    void Click(int x, int y) {
        XTestFakeMotionEvent(m_host, DefaultScreen(m_host), kParentX + x, kParentY + y, CurrentTime);
        XTestFakeButtonEvent(m_host, 1, True, CurrentTime);
        XTestFakeButtonEvent(m_host, 1, False, CurrentTime);
        XSync(m_host, False);
    }

    Display* m_host = nullptr;
    Window m_parent = 0;
    YWindowSystemX11 m_system;
    EventLog m_log;
    std::unique_ptr<Root> m_root;
    Swatch* m_a = nullptr;
    Swatch* m_b = nullptr;
};

TEST_F(X11WindowSystemTest, PaintsTheTreeIntoTheHostWindow) {
    EXPECT_EQ(m_system.Description(), YString("X11 native window-system"));
    EXPECT_EQ(ScreenColour(150, 30), 0x1E1EC8u);
    EXPECT_EQ(ScreenColour(100, 100), 0x282828u) << "the root's own background";
    EXPECT_EQ(m_system.ClientSize(*m_root), (YSize{200, 120}));
    EXPECT_TRUE(m_system.IsVisible(*m_root));
    EXPECT_NE(m_system.NativeWindow(*m_root), 0u);
}

TEST_F(X11WindowSystemTest, AClickReachesTheControlUnderThePointer) {
    m_log.Clear();
    Click(150, 30);
    ASSERT_TRUE(Pump([&] { return m_log.Joined().find("b:0") != std::string::npos; }));
    EXPECT_EQ(m_log.Joined().find("a:"), std::string::npos) << m_log.Joined();
    m_log.Clear();
    Click(20, 20);
    ASSERT_TRUE(Pump([&] { return m_log.Joined().find("a:0") != std::string::npos; }));
}

TEST_F(X11WindowSystemTest, ARepaintFromTheTreeReachesTheScreenThroughTheInvalidatorThread) {
    const int32_t before = m_system.PaintCount(*m_root);
    m_b->colour = YColor::RGB(20, 180, 40);
    m_b->Repaint(); // the invalidator thread takes it from here
    ASSERT_TRUE(Pump([&] { return ScreenColour(150, 30) == 0x14B428u; }));
    EXPECT_GT(m_system.PaintCount(*m_root), before);
    EXPECT_EQ(ScreenColour(50, 30), 0xC81E1Eu);
}

TEST_F(X11WindowSystemTest, TheRootFollowsAResizeFromEitherSide) {
    m_system.SetClientSize(*m_root, {260, 150});
    EXPECT_EQ(m_root->Size(), (YSize{260, 150}));
    ASSERT_TRUE(Pump([&] { return ScreenColour(250, 140) == 0x282828u; }));

    XResizeWindow(m_host, static_cast<Window>(m_system.NativeWindow(*m_root)), 300, 200);
    ASSERT_TRUE(Pump([&] { return m_root->Size() == YSize{300, 200}; }));
    ASSERT_TRUE(Pump([&] { return ScreenColour(290, 190) == 0x282828u; }));
}

TEST_F(X11WindowSystemTest, TimersCallTheirControlUntilStopped) {
    m_log.Clear();
    m_system.SetTimer(*m_a, 5);
    ASSERT_TRUE(Pump([&] { return m_log.entries.size() >= 2; }));
    EXPECT_EQ(m_log.entries[0], "a:timer");
    m_system.SetTimer(*m_a, 0);
    m_log.Clear();
    Pump([] { return false; }, 50);
    EXPECT_TRUE(m_log.entries.empty());
    // A control that goes with its timer running stops it.
    m_system.SetTimer(*m_b, 1);
    m_root->DeleteChild(m_b);
    m_b = nullptr;
    Pump([] { return false; }, 30);
    EXPECT_TRUE(m_log.entries.empty());
}

TEST_F(X11WindowSystemTest, QueuedWorkAndPrivateMessagesRunOnTheGuiThread) {
    std::atomic<int> ran{0};
    m_system.Windows()->Post(this, [&] { ++ran; });
    m_system.DeferredShow(*m_root, false);
    ASSERT_TRUE(Pump([&] { return ran == 1 && !m_system.IsVisible(*m_root); }));
    m_system.DeferredShow(*m_root, true);
    ASSERT_TRUE(Pump([&] { return m_system.IsVisible(*m_root); }));
}

TEST_F(X11WindowSystemTest, ADeferredCloseAsksTheRootAndDestroysTheWindowInTheLoop) {
    m_system.DeferredClose(*m_root);
    EXPECT_TRUE(m_system.HasWindow(*m_root)) << "not inside the caller";
    ASSERT_TRUE(Pump([&] { return !m_system.HasWindow(*m_root); }));
    EXPECT_EQ(m_root->closeRequests, 1);
    EXPECT_EQ(m_root->Descriptor(), nullptr);
}

TEST_F(X11WindowSystemTest, ReparentingWithoutParentMakesAPopUpAgain) {
    const Window child = static_cast<Window>(m_system.NativeWindow(*m_root));
    m_system.SetParentWindow(*m_root, 0);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(m_host, child, &root, &parent, &children, &count));
    if (children != nullptr) XFree(children);
    EXPECT_EQ(parent, DefaultRootWindow(m_host));
    EXPECT_FALSE(m_system.PlatformWindow(*m_root)->IsChild());
}

} // namespace
