// The X11 native window on a virtual X server: embedded in a host-like parent window, painted,
// driven with synthetic input through XTest, resized from both sides and opened in a loop.
#include "gui/RecordingListener.h"
#include "gui/windows/YPlatformWindow.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>

#include <cstdlib>
#include <thread>

namespace {

constexpr int kParentX = 50;
constexpr int kParentY = 60;

class X11WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the GUI tests run on a display (tests/support/with-xvfb.sh)";
        m_host = XOpenDisplay(nullptr);
        ASSERT_NE(m_host, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(m_host, &event, &error, &major, &minor));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True; // placed where asked, whatever the window manager
        attributes.background_pixel = 0x000000;
        m_parent = XCreateWindow(m_host, DefaultRootWindow(m_host), kParentX, kParentY, 400, 300, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(m_host, m_parent);
        XSync(m_host, False);
    }

    void TearDown() override {
        m_window.reset();
        if (m_host != nullptr) {
            XDestroyWindow(m_host, m_parent);
            XCloseDisplay(m_host);
        }
    }

    // The editor-like window, embedded and shown.
    void OpenEmbedded(int width = 200, int height = 100) {
        m_window = YPlatformWindow::Create(m_listener, width, height);
        m_listener.window = m_window.get();
        m_window->Reparent(reinterpret_cast<void*>(static_cast<uintptr_t>(m_parent)));
        m_window->Show(true);
        ASSERT_TRUE(Pump([&] { return m_listener.paints > 0 && m_window->IsVisible(); }));
        // The exposure of the mapping may still be on its way: wait until painting rests.
        int paints = -1;
        while (paints != m_listener.paints) {
            paints = m_listener.paints;
            Pump([] { return false; }, 30);
        }
    }

    template <typename F> bool Pump(F&& condition, uint32_t timeoutMs = 3000) {
        return WaitUntil(
            [&] {
                XSync(m_host, False);
                m_window->ProcessEvents();
                return condition();
            },
            timeoutMs);
    }

    // The colour on the screen at a point of the parent window, 0xRRGGBB.
    unsigned long ScreenColour(int x, int y) {
        XImage* image = XGetImage(m_host, m_parent, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0xFFFFFFFFul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
        XDestroyImage(image);
        return pixel;
    }

    void MoveTo(int x, int y) {
        XTestFakeMotionEvent(m_host, DefaultScreen(m_host), kParentX + x, kParentY + y, CurrentTime);
        XSync(m_host, False);
    }
    void Click(unsigned button, int x, int y) {
        MoveTo(x, y);
        XTestFakeButtonEvent(m_host, button, True, CurrentTime);
        XTestFakeButtonEvent(m_host, button, False, CurrentTime);
        XSync(m_host, False);
    }
    void Key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(m_host, symbol);
        XTestFakeKeyEvent(m_host, code, True, CurrentTime);
        XTestFakeKeyEvent(m_host, code, False, CurrentTime);
        XSync(m_host, False);
    }

    Display* m_host = nullptr;
    Window m_parent = 0;
    RecordingListener m_listener;
    std::unique_ptr<YPlatformWindow> m_window;
};

TEST_F(X11WindowTest, EmbedsAsAChildOfTheHostWindowAndShowsItsBitmap) {
    OpenEmbedded();
    EXPECT_TRUE(m_window->IsChild());
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(m_host, static_cast<Window>(reinterpret_cast<uintptr_t>(m_window->Handle())), &root,
                           &parent, &children, &count));
    if (children != nullptr) XFree(children);
    EXPECT_EQ(parent, m_parent);
    EXPECT_EQ(m_listener.paintedSize, (YSize{200, 100}));
    ASSERT_TRUE(Pump([&] { return ScreenColour(10, 10) == (RecordingListener::kLeftColour & 0xFFFFFFu); }));
    EXPECT_EQ(ScreenColour(190, 90), RecordingListener::kRightColour & 0xFFFFFFu);
    // Outside the child the parent's own black background remains.
    EXPECT_EQ(ScreenColour(300, 200), 0x000000u);

    m_window->Reparent(nullptr);
    EXPECT_FALSE(m_window->IsChild());
}

TEST_F(X11WindowTest, RepaintsWhatAnExposeUncovers) {
    OpenEmbedded();
    const int before = m_listener.paints;
    XClearArea(m_host, static_cast<Window>(reinterpret_cast<uintptr_t>(m_window->Handle())), 20, 30, 40, 10, True);
    ASSERT_TRUE(Pump([&] { return m_listener.paints > before; }));
    EXPECT_EQ(m_listener.lastDirty, YRect::FromSize(20, 30, 40, 10));
}

TEST_F(X11WindowTest, MouseButtonsWheelAndDoubleClicksReachTheListenerAtClientCoordinates) {
    OpenEmbedded();
    m_listener.mouse.clear();
    Click(Button1, 30, 40);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kLeftUp).size() == 1; }));
    ASSERT_EQ(m_listener.Mouse(YEventCode::kLeftDown).size(), 1u);
    const YSystemEvent down = m_listener.Mouse(YEventCode::kLeftDown)[0];
    EXPECT_EQ(down.point, (YPoint{30, 40}));
    EXPECT_EQ(down.flags & YEventFlag::kLeftButton, YEventFlag::kLeftButton) << "the pressed button is in the flags";
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftUp)[0].flags & YEventFlag::kLeftButton, 0u);

    // A second click at nearly the same place soon after is a double-click.
    Click(Button1, 31, 41);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kLeftUp).size() == 2; }));
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDoubleClick).size(), 1u);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDown).size(), 1u);

    // Far away it is not.
    Click(Button1, 150, 80);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kLeftUp).size() == 3; }));
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDoubleClick).size(), 1u);

    // A double-click nobody takes comes again as a "down" with the double flag.
    m_listener.takeDoubleClicks = false;
    Click(Button1, 150, 80);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kLeftUp).size() == 4; }));
    const auto downs = m_listener.Mouse(YEventCode::kLeftDown);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs.back().flags & YEventFlag::kDouble, YEventFlag::kDouble);

    Click(Button3, 100, 50);
    Click(Button2, 100, 50);
    Click(Button4, 100, 50);
    Click(Button5, 100, 50);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kWheel).size() == 2; }));
    EXPECT_EQ(m_listener.Mouse(YEventCode::kRightDown).size(), 1u);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kRightUp).size(), 1u);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kMiddleDown).size(), 1u);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kMiddleUp).size(), 1u);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kWheel)[0].extra, 120);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kWheel)[1].extra, -120);
}

TEST_F(X11WindowTest, CaptureKeepsTheMouseAndLeaveIsToldOnce) {
    OpenEmbedded();
    m_window->SetCapture(true);
    EXPECT_TRUE(m_window->HasCapture());
    // Pressed outside the window (but inside the parent): still ours, in our coordinates.
    Click(Button1, 300, 250);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kLeftUp).size() == 1; }));
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDown)[0].point, (YPoint{300, 250}));
    m_window->SetCapture(false);
    EXPECT_EQ(m_listener.captureLost, 1);

    // Without capture the parent's area is not ours.
    Click(Button1, 300, 250);
    Pump([] { return false; }, 100);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDown).size(), 1u);

    MoveTo(50, 50);
    Pump([] { return false; }, 50);
    m_window->TrackMouseLeave();
    MoveTo(350, 50);
    ASSERT_TRUE(Pump([&] { return m_listener.Mouse(YEventCode::kMouseLeave).size() == 1; }));
    MoveTo(50, 50);
    MoveTo(350, 50);
    Pump([] { return false; }, 100);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kMouseLeave).size(), 1u) << "one leave per request";
}

TEST_F(X11WindowTest, KeysArriveAsWindowsVirtualKeysWithTheirCharacters) {
    OpenEmbedded();
    m_window->Focus();
    ASSERT_TRUE(Pump([&] { return !m_listener.focus.empty() && m_listener.focus.back(); }));
    struct Case {
        KeySym symbol;
        uint32_t virtualKey;
        char32_t character;
    };
    const Case cases[] = {{XK_a, 0x41, U'a'}, {XK_F1, 0x70, 0}, {XK_Return, 0x0D, U'\r'}, {XK_Left, 0x25, 0},
                          {XK_5, 0x35, U'5'}, {XK_Escape, 0x1B, U'\x1B'}, {XK_KP_Add, 0x6B, U'+'}};
    for (const Case& c : cases) {
        m_listener.keys.clear();
        Key(c.symbol);
        ASSERT_TRUE(Pump([&] { return !m_listener.keys.empty() && m_listener.keys.back().code == YEventCode::kKeyUp; }))
            << "key symbol " << c.symbol;
        EXPECT_EQ(m_listener.keys.front().code, YEventCode::kKeyDown);
        EXPECT_EQ(m_listener.keys.front().keyCode, c.virtualKey) << "key symbol " << c.symbol;
        char32_t typed = 0;
        for (const YSystemEvent& key : m_listener.keys)
            if (key.code == YEventCode::kCharacter) typed = static_cast<char32_t>(key.character);
        EXPECT_EQ(typed, c.character) << "key symbol " << c.symbol;
    }
}

TEST_F(X11WindowTest, ResizesFromThePlugInAndFromTheHost) {
    OpenEmbedded();
    const Window child = static_cast<Window>(reinterpret_cast<uintptr_t>(m_window->Handle()));
    // The plug-in asks: the window follows at once, the next paint has the new size.
    m_window->SetClientSize(260, 140);
    XWindowAttributes attributes{};
    ASSERT_TRUE(Pump([&] {
        XGetWindowAttributes(m_host, child, &attributes);
        return attributes.width == 260 && attributes.height == 140 && m_listener.paintedSize == YSize{260, 140};
    }));
    EXPECT_EQ(ScreenColour(250, 130), RecordingListener::kRightColour & 0xFFFFFFu);

    // The host resizes the window itself: the listener hears of it and paints the new area.
    XResizeWindow(m_host, child, 320, 180);
    XSync(m_host, False);
    ASSERT_TRUE(Pump([&] { return !m_listener.sizes.empty() && m_listener.sizes.back() == YSize{320, 180}; }));
    ASSERT_TRUE(Pump([&] { return m_listener.paintedSize == YSize{320, 180}; }));
    EXPECT_EQ(m_window->ClientSize(), (YSize{320, 180}));
    ASSERT_TRUE(Pump([&] { return ScreenColour(310, 170) == (RecordingListener::kRightColour & 0xFFFFFFu); }));

    // The same size again repaints nothing new.
    const size_t told = m_listener.sizes.size();
    m_window->SetClientSize(320, 180);
    EXPECT_EQ(m_listener.sizes.size(), told);
}

TEST_F(X11WindowTest, OtherThreadsWakeTheGuiThreadThroughItsDescriptor) {
    OpenEmbedded();
    Pump([] { return false; }, 50);
    const int paints = m_listener.paints;
    std::thread other([&] {
        m_window->InvalidateFromAnyThread(YRect::FromSize(5, 5, 10, 10));
        m_window->PostPrivateMessage(YWindowSystem::kMessageRelayout);
        m_window->PostPrivateMessage(YWindowSystem::kMessageClose);
    });
    other.join();
    pollfd watched{m_window->WakeDescriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&watched, 1, 1000), 1) << "the descriptor wakes whoever watches it";
    m_window->ProcessEvents();
    EXPECT_EQ(m_listener.paints, paints + 1);
    EXPECT_EQ(m_listener.lastDirty, YRect::FromSize(5, 5, 10, 10));
    EXPECT_EQ(m_listener.messages, std::vector<uint32_t>{YWindowSystem::kMessageRelayout});
    EXPECT_EQ(m_listener.closes, 1);
    EXPECT_EQ(poll(&watched, 1, 0), 0) << "emptied";
}

TEST_F(X11WindowTest, TimersFireUntilStopped) {
    OpenEmbedded();
    m_window->SetTimer(7, 5);
    m_window->SetTimer(9, 10000);
    ASSERT_TRUE(Pump([&] { return m_listener.timers.size() >= 3; }));
    for (uintptr_t id : m_listener.timers) EXPECT_EQ(id, 7u);
    m_window->SetTimer(7, 0);
    m_listener.timers.clear();
    Pump([] { return false; }, 50);
    EXPECT_TRUE(m_listener.timers.empty());
}

TEST_F(X11WindowTest, ClipboardTextTravelsBetweenWindows) {
    OpenEmbedded();
    const YString text = YString::FromUTF8("Depth 42 % \xC3\xA4");
    m_window->SetClipboardText(text);
    EXPECT_EQ(m_window->ClipboardText().ToUTF8(), text.ToUTF8());
    // Another window reads it while the owner answers on its own thread.
    std::atomic<bool> stop{false};
    std::thread owner([&] {
        while (!stop) {
            m_window->ProcessEvents();
            YPlatformSleep(1);
        }
    });
    RecordingListener otherListener;
    YString read;
    {
        auto other = YPlatformWindow::Create(otherListener, 10, 10);
        otherListener.window = other.get();
        read = other->ClipboardText();
    }
    stop = true;
    owner.join();
    EXPECT_EQ(read.ToUTF8(), text.ToUTF8());
}

TEST_F(X11WindowTest, AWindowWhoseParentWentAwayIsGoneWithoutHarmingTheHost) {
    OpenEmbedded();
    XDestroyWindow(m_host, m_parent);
    XSync(m_host, False);
    ASSERT_TRUE(WaitUntil([&] { return !m_window->ProcessEvents(); }));
    // Every further call stays harmless, and so does the destruction.
    m_window->Invalidate(YRect::FromSize(0, 0, 10, 10));
    m_window->SetClientSize(50, 50);
    m_window->Show(false);
    m_window.reset();
    m_parent = XCreateWindow(m_host, DefaultRootWindow(m_host), 0, 0, 10, 10, 0, CopyFromParent, InputOutput,
                             CopyFromParent, 0, nullptr);
}

TEST_F(X11WindowTest, OpensAndClosesInALoopWithoutLeakingConnections) {
    for (int i = 0; i < 200; ++i) {
        RecordingListener listener;
        auto window = YPlatformWindow::Create(listener, 120 + i % 7, 80);
        listener.window = window.get();
        window->Reparent(reinterpret_cast<void*>(static_cast<uintptr_t>(m_parent)));
        window->Show(true);
        window->ProcessEvents();
    }
    // Every connection was closed: a new one still opens (the server allows about 256).
    OpenEmbedded();
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(m_host, m_parent, &root, &parent, &children, &count));
    if (children != nullptr) XFree(children);
    EXPECT_EQ(count, 1u) << "closed windows left no children behind";
}

} // namespace
