// The editor through the built binary, as a VST 2.4 host on Linux shows it: opened in the
// host's X11 window, driven by idle calls, repainted when the host changes a parameter,
// resized by the host, closed, and opened and closed in a loop.
#include "host/VstTestHost.h"

#include "platform/YPlatformTime.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>

#include <cstdlib>

namespace {

using namespace VstTestHost;

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

// The editor's value bar of the first parameter, and its colours (0xRRGGBB).
constexpr int kBarY = 34 + 7;
constexpr unsigned long kBarColour = 0xE2A030;
constexpr unsigned long kTrackColour = 0x101216;

class VstHostEditorTest : public StartedInstanceTest {
protected:
    void SetUp() override {
        StartedInstanceTest::SetUp();
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the editor tests run on a display (tests/support/with-xvfb.sh)";
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = 0;
        m_parent = XCreateWindow(m_display, DefaultRootWindow(m_display), 0, 0, 800, 600, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(m_display, m_parent);
        XSync(m_display, False);
    }
    void TearDown() override {
        if (m_instance) Plugin().Dispatch(Vst2::effEditClose);
        m_instance.reset();
        if (m_display != nullptr) {
            XDestroyWindow(m_display, m_parent);
            XCloseDisplay(m_display);
        }
    }

    void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(m_parent)); }

    template <typename F> bool Idle(F&& condition, uint32_t timeoutMs = 3000) {
        const uint32_t start = YPlatformTickCount();
        while (true) {
            XSync(m_display, False);
            Plugin().Dispatch(Vst2::effEditIdle);
            if (condition()) return true;
            if (YPlatformTickCount() - start >= timeoutMs) return false;
            YPlatformSleep(5);
        }
    }

    unsigned long ScreenColour(int x, int y) {
        XImage* image = XGetImage(m_display, m_parent, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0xFFFFFFFFul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
        XDestroyImage(image);
        return pixel;
    }

    unsigned Children(Window window) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, window, &root, &parent, &children, &count)) return 0;
        if (children != nullptr) XFree(children);
        return count;
    }
    unsigned Children() { return Children(m_parent); }

    Vst2::ERect Rect() {
        Vst2::ERect* rect = nullptr;
        EXPECT_EQ(Plugin().Dispatch(Vst2::effEditGetRect, 0, 0, &rect), 1);
        return rect != nullptr ? *rect : Vst2::ERect{};
    }

    Display* m_display = nullptr;
    Window m_parent = 0;
};

TEST_F(VstHostEditorTest, TheEditorOpensInTheHostWindowAndShowsParameterChanges) {
    EXPECT_NE(Plugin().Effect()->flags & Vst2::effFlagsHasEditor, 0);
    const Vst2::ERect rect = Rect();
    EXPECT_EQ(rect.right, 520);
    EXPECT_GT(rect.bottom, 300) << "room for every parameter";

    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, Parent()), 1);
    EXPECT_EQ(Children(), 1u);
    ASSERT_TRUE(Idle([&] { return ScreenColour(500, kBarY) == kBarColour; }));

    // The host moves the parameter: the editor hears of it through its update list.
    Plugin().Set(0, 0.0f);
    ASSERT_TRUE(Idle([&] { return ScreenColour(500, kBarY) == kTrackColour; }));
    Plugin().Set(0, 0.5f);
    ASSERT_TRUE(Idle([&] { return ScreenColour(350, kBarY) == kBarColour; }));
    EXPECT_EQ(ScreenColour(500, kBarY), kTrackColour);

    Plugin().Dispatch(Vst2::effEditClose);
    EXPECT_EQ(Children(), 0u) << "closing takes the window out of the host's";
}

TEST_F(VstHostEditorTest, TheEditorFollowsTheHostResizingItsWindow) {
    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, Parent()), 1);
    ASSERT_TRUE(Idle([&] { return ScreenColour(500, kBarY) == kBarColour; }));
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(m_display, m_parent, &root, &parent, &children, &count));
    ASSERT_EQ(count, 1u);
    const Window editor = children[0];
    XFree(children);
    XResizeWindow(m_display, editor, 700, 500);
    ASSERT_TRUE(Idle([&] { return ScreenColour(680, kBarY) == kBarColour; }));
    const Vst2::ERect rect = Rect();
    EXPECT_EQ(rect.right, 700);
    EXPECT_EQ(rect.bottom, 500);
}

TEST_F(VstHostEditorTest, BadHostSequencesGetNeutralAnswers) {
    Plugin().Dispatch(Vst2::effEditClose);
    Plugin().Dispatch(Vst2::effEditIdle);
    EXPECT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, nullptr), 0) << "no parent";
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, Parent()), 1);
    // Opened again without a close: one window stays.
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, Parent()), 1);
    Idle([] { return false; }, 50);
    EXPECT_EQ(Children(), 1u);
    Plugin().Dispatch(Vst2::effEditClose);
    Plugin().Dispatch(Vst2::effEditClose);
    EXPECT_EQ(Children(), 0u);
}

TEST_F(VstHostEditorTest, OpensAndClosesAThousandTimes) {
    auto round = [&](int i) {
        ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, Parent()), 1) << "round " << i;
        Plugin().Dispatch(Vst2::effEditIdle);
        if (i % 2 == 0) Plugin().Set(0, static_cast<float>(i % 10) / 10.0f);
        Plugin().Dispatch(Vst2::effEditClose);
    };
    // What the process keeps once (fonts, caches) is there before counting.
    for (int i = 0; i < 5; ++i) round(i);
    XSync(m_display, False);
    const int descriptors = OpenDescriptors();
    const unsigned windows = Children(DefaultRootWindow(m_display));
    for (int i = 5; i < 1000; ++i) {
        round(i);
        if (HasFatalFailure()) return;
    }
    XSync(m_display, False);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(Children(DefaultRootWindow(m_display)), windows);
    EXPECT_EQ(Children(), 0u);
    // Still a working editor afterwards.
    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, Parent()), 1);
    ASSERT_TRUE(Idle([&] { return ScreenColour(500, kBarY) == kBarColour; }));
}

} // namespace
