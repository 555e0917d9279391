// The editor through the built binary, as a Linux VST 3 host shows it: a view from the
// controller, embedded in the host's X11 window, driven by the host's run loop (descriptors and
// timers), repainted when the host changes a parameter, resized by the host, removed; bad
// sequences; and a thousand views opened and closed without leaking descriptors or windows.
#include "host/Vst3TestInstance.h"
#include "host/x11/RunLoopFrame.h"

#include "platform/YPlatformTime.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>

#include <cstdlib>
#include <functional>

namespace {

using namespace Vst3Test;

// The editor's value bar of the first parameter, and its colours (0xRRGGBB).
constexpr int kBarY = 34 + 7;
constexpr unsigned long kBarColour = 0xE2A030;
constexpr unsigned long kTrackColour = 0x101216;
constexpr const char* kX11 = "X11EmbedWindowID";

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

class Vst3HostEditorTest : public FactoryTest {
protected:
    void SetUp() override {
        FactoryTest::SetUp();
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the editor tests run on a display (tests/support/with-xvfb.sh)";
        plugin = std::make_unique<Vst3Instance>(*factory);
        ASSERT_TRUE(plugin->Ok());
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
        if (view != nullptr) view->release();
        plugin.reset();
        if (m_display != nullptr) {
            XDestroyWindow(m_display, m_parent);
            XCloseDisplay(m_display);
        }
        FactoryTest::TearDown();
    }

    void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(m_parent)); }

    // The host's loop until condition holds.
    bool RunUntil(const std::function<bool()>& condition, uint32_t timeoutMs = 3000) {
        const uint32_t start = YPlatformTickCount();
        while (true) {
            XSync(m_display, False);
            frame.RunOnce(5);
            if (condition()) return true;
            if (YPlatformTickCount() - start >= timeoutMs) return false;
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

    // The host moves a parameter as hosts do: the controller hears of it, and the processor
    // gets it with the next block.
    void SetParameter(Vst3::ParamID id, double value) {
        ASSERT_EQ(plugin->controller->setParamNormalized(id, value), Vst3::kResultOk);
        ParameterChanges changes;
        changes.queues.reserve(1);
        Vst3::int32 index = 0;
        changes.Add(id).addPoint(0, value, index);
        std::vector<float> left(64), right(64), outLeft(64), outRight(64);
        plugin->Process(left, right, outLeft, outRight, &changes);
    }

    Vst3::ParamID FirstParameter() {
        Vst3::ParameterInfo info{};
        EXPECT_EQ(plugin->controller->getParameterInfo(0, info), Vst3::kResultOk);
        return info.id;
    }

    Vst3::IPlugView* Open() {
        view = plugin->controller->createView("editor");
        EXPECT_NE(view, nullptr);
        if (view == nullptr) return nullptr;
        EXPECT_EQ(view->setFrame(&frame), Vst3::kResultOk);
        EXPECT_EQ(view->attached(Parent(), kX11), Vst3::kResultOk);
        return view;
    }

    std::unique_ptr<Vst3Instance> plugin;
    RunLoopFrame frame;
    Vst3::IPlugView* view = nullptr;
    Display* m_display = nullptr;
    Window m_parent = 0;
};

TEST_F(Vst3HostEditorTest, TheViewShowsParameterChangesThroughTheHostsRunLoop) {
    EXPECT_EQ(plugin->controller->createView("other"), nullptr);
    EXPECT_EQ(plugin->controller->createView(nullptr), nullptr);
    view = plugin->controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(kX11), Vst3::kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported("HWND"), Vst3::kResultFalse);
    Vst3::ViewRect size{};
    ASSERT_EQ(view->getSize(&size), Vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, 520);
    EXPECT_GT(size.bottom - size.top, 300) << "room for every parameter";

    const Vst3::ParamID id = FirstParameter();
    SetParameter(id, 1.0);
    ASSERT_EQ(view->setFrame(&frame), Vst3::kResultOk);
    ASSERT_EQ(view->attached(Parent(), kX11), Vst3::kResultOk);
    EXPECT_EQ(Children(), 1u);
    // The view joined the loop: its descriptors (the connection and the wake-up pipe) and a timer.
    EXPECT_GE(frame.handlers.size(), 2u);
    EXPECT_EQ(frame.timers.size(), 1u);
    ASSERT_TRUE(RunUntil([&] { return ScreenColour(500, kBarY) == kBarColour; }));

    SetParameter(id, 0.0);
    ASSERT_TRUE(RunUntil([&] { return ScreenColour(500, kBarY) == kTrackColour; }));
    SetParameter(id, 0.5);
    ASSERT_TRUE(RunUntil([&] { return ScreenColour(350, kBarY) == kBarColour; }));
    EXPECT_EQ(ScreenColour(500, kBarY), kTrackColour);

    EXPECT_EQ(view->removed(), Vst3::kResultOk);
    EXPECT_EQ(Children(), 0u) << "removing takes the window out of the host's";
    EXPECT_TRUE(frame.handlers.empty());
    EXPECT_TRUE(frame.timers.empty());
    EXPECT_EQ(frame.references, 1) << "the run loop is given back";
}

TEST_F(Vst3HostEditorTest, TheHostResizesTheViewWithinItsConstraints) {
    ASSERT_NE(Open(), nullptr);
    SetParameter(FirstParameter(), 1.0);
    ASSERT_TRUE(RunUntil([&] { return ScreenColour(500, kBarY) == kBarColour; }));
    EXPECT_EQ(view->canResize(), Vst3::kResultTrue);

    Vst3::ViewRect wide{0, 0, 700, 500};
    EXPECT_EQ(view->checkSizeConstraint(&wide), Vst3::kResultTrue);
    EXPECT_EQ(wide.right, 700) << "a size that fits stays";
    ASSERT_EQ(view->onSize(&wide), Vst3::kResultOk);
    ASSERT_TRUE(RunUntil([&] { return ScreenColour(680, kBarY) == kBarColour; })) << "the bar follows the width";
    Vst3::ViewRect size{};
    ASSERT_EQ(view->getSize(&size), Vst3::kResultOk);
    EXPECT_EQ(size.right, 700);
    EXPECT_EQ(size.bottom, 500);

    // Too small: the constraint grows it to the minimum, which onSize then takes.
    Vst3::ViewRect small{0, 0, 50, 20};
    EXPECT_EQ(view->checkSizeConstraint(&small), Vst3::kResultTrue);
    EXPECT_GT(small.right, 50);
    EXPECT_GT(small.bottom, 20);
    ASSERT_EQ(view->onSize(&small), Vst3::kResultOk);
    RunUntil([] { return false; }, 50);
    ASSERT_EQ(view->getSize(&size), Vst3::kResultOk);
    EXPECT_EQ(size.right, small.right);
    EXPECT_EQ(size.bottom, small.bottom);

    // A host whose frame resizes the view through resizeView, as the plug-in would ask.
    Vst3::ViewRect asked{0, 0, 600, 450};
    EXPECT_EQ(frame.resizeView(view, &asked), Vst3::kResultOk);
    ASSERT_EQ(view->getSize(&size), Vst3::kResultOk);
    EXPECT_EQ(size.right, 600);
    EXPECT_EQ(size.bottom, 450);
}

TEST_F(Vst3HostEditorTest, BadHostSequencesGetNeutralAnswers) {
    view = plugin->controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->removed(), Vst3::kResultFalse) << "removed before attached";
    EXPECT_EQ(view->attached(nullptr, kX11), Vst3::kResultFalse);
    EXPECT_EQ(view->attached(Parent(), "HWND"), Vst3::kResultFalse);
    EXPECT_EQ(Children(), 0u);

    ASSERT_EQ(view->setFrame(&frame), Vst3::kResultOk);
    ASSERT_EQ(view->attached(Parent(), kX11), Vst3::kResultOk);
    // Attached again without removed: one window and one set of registrations stay.
    const size_t handlers = frame.handlers.size();
    ASSERT_EQ(view->attached(Parent(), kX11), Vst3::kResultOk);
    RunUntil([] { return false; }, 50);
    EXPECT_EQ(Children(), 1u);
    EXPECT_EQ(frame.handlers.size(), handlers);
    EXPECT_EQ(frame.timers.size(), 1u);

    Vst3::ViewRect before{};
    ASSERT_EQ(view->getSize(&before), Vst3::kResultOk);
    for (Vst3::ViewRect bad : {Vst3::ViewRect{0, 0, 0, 0}, Vst3::ViewRect{0, 0, -40, 300},
                               Vst3::ViewRect{0, 0, 300, -1}, Vst3::ViewRect{100, 100, 50, 400}}) {
        EXPECT_EQ(view->onSize(&bad), Vst3::kResultFalse) << bad.right << " x " << bad.bottom;
    }
    EXPECT_EQ(view->onSize(nullptr), Vst3::kInvalidArgument);
    EXPECT_EQ(view->getSize(nullptr), Vst3::kInvalidArgument);
    EXPECT_EQ(view->checkSizeConstraint(nullptr), Vst3::kInvalidArgument);
    Vst3::ViewRect after{};
    ASSERT_EQ(view->getSize(&after), Vst3::kResultOk);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);

    EXPECT_EQ(view->removed(), Vst3::kResultOk);
    EXPECT_EQ(view->removed(), Vst3::kResultFalse) << "removed twice";
    EXPECT_EQ(Children(), 0u);
    EXPECT_TRUE(frame.handlers.empty());

    // Released while attached: the view takes its window and registrations with it.
    ASSERT_EQ(view->attached(Parent(), kX11), Vst3::kResultOk);
    EXPECT_EQ(Children(), 1u);
    view->setFrame(nullptr);
    EXPECT_TRUE(frame.handlers.empty()) << "a frame taken away takes its run loop";
    view->release();
    view = nullptr;
    EXPECT_EQ(Children(), 0u);
    EXPECT_EQ(frame.references, 1);
}

TEST_F(Vst3HostEditorTest, AHostWithoutARunLoopStillGetsAWindow) {
    RunLoopFrame bare(false);
    view = plugin->controller->createView("editor");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->setFrame(&bare), Vst3::kResultOk);
    ASSERT_EQ(view->attached(Parent(), kX11), Vst3::kResultOk);
    EXPECT_EQ(Children(), 1u);
    EXPECT_TRUE(bare.handlers.empty());
    EXPECT_EQ(view->removed(), Vst3::kResultOk);
    EXPECT_EQ(Children(), 0u);
    view->setFrame(nullptr);
}

TEST_F(Vst3HostEditorTest, OpensAndClosesAThousandTimesWithoutLeaks) {
    const Window screen = DefaultRootWindow(m_display);
    auto round = [&](int i) {
        ASSERT_NE(Open(), nullptr) << "round " << i;
        frame.RunOnce(0);
        if (i % 2 == 0) SetParameter(FirstParameter(), static_cast<double>(i % 10) / 10.0);
        ASSERT_EQ(view->removed(), Vst3::kResultOk) << "round " << i;
        view->setFrame(nullptr);
        view->release();
        view = nullptr;
    };
    // A few rounds first, so that what the process keeps once (fonts, the display's caches)
    // is there before counting.
    for (int i = 0; i < 5; ++i) round(i);
    XSync(m_display, False);
    const int descriptors = OpenDescriptors();
    const unsigned windows = Children(screen);
    for (int i = 5; i < 1000; ++i) {
        round(i);
        if (HasFatalFailure()) return;
    }
    XSync(m_display, False);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(Children(screen), windows);
    EXPECT_EQ(Children(), 0u);
    EXPECT_TRUE(frame.handlers.empty());
    EXPECT_TRUE(frame.timers.empty());
    EXPECT_EQ(frame.references, 1);

    // Still a working editor afterwards, one whose descriptors the count sees.
    ASSERT_NE(Open(), nullptr);
    EXPECT_GT(OpenDescriptors(), descriptors);
    SetParameter(FirstParameter(), 1.0);
    ASSERT_TRUE(RunUntil([&] { return ScreenColour(500, kBarY) == kBarColour; }));
    EXPECT_EQ(view->removed(), Vst3::kResultOk);
}

} // namespace
