// The Win32 window system with a control tree, as a host shows it: embedded in a host-like
// parent window whose message loop delivers the editor's messages, painted through the tree
// into its DIB section, synthetic input reaching the control under the pointer, repaint
// requests from the invalidator thread, resizes from both sides, timers, the deferred close,
// and opening and closing in a loop without leaking handles.
#include "gui/toolkit/RecordingControl.h"
#include "gui/windows/win32/YSysBitmap.h"
#include "gui/windows/win32/YWindowSystemMSWindows.h"
#include "support/WaitUntil.h"

#include "gui/drawing/YDrawer.h"

#include <gtest/gtest.h>

#include <windows.h>
#undef RGB // the colours here are YColor::RGB

#include <atomic>
#include <cstdio>

namespace {

constexpr int kParentX = 30;
constexpr int kParentY = 40;

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

// The host's side: a plain top-level window and the thread's message loop.
HWND CreateHostWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW host{};
        host.cbSize = sizeof host;
        host.lpfnWndProc = DefWindowProcW;
        host.hInstance = GetModuleHandleW(nullptr);
        host.lpszClassName = L"TestHostWindow";
        registered = RegisterClassExW(&host) != 0;
    }
    HWND parent = CreateWindowExW(0, L"TestHostWindow", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kParentX,
                                  kParentY, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return parent;
}

void PumpThread() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The host's loop only (the window procedure gets everything), until condition holds.
template <typename F> bool HostLoop(F&& condition, uint32_t timeoutMs = 3000) {
    return WaitUntil(
        [&] {
            PumpThread();
            return condition();
        },
        timeoutMs);
}

// What the editor window shows at a client point, 0xRRGGBB.
uint32_t WindowColour(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    if (colour == CLR_INVALID) return 0xFFFFFFFFu;
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

void SendMouse(DWORD flags, int screenX, int screenY) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = screenX * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = screenY * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

class Win32WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent = CreateHostWindow(400, 300);
        ASSERT_NE(m_parent, nullptr);
        m_root = std::make_unique<Root>(&m_system);
        m_root->SetSize(200, 120);
        m_a = new Swatch(m_root.get(), "a", m_log, YRect::FromSize(10, 10, 80, 50), YColor::RGB(200, 30, 30));
        m_b = new Swatch(m_root.get(), "b", m_log, YRect::FromSize(110, 10, 80, 50), YColor::RGB(30, 30, 200));
        m_system.CreateNativeWindow(*m_root, 0);
        m_system.SetParentWindow(*m_root, reinterpret_cast<YNativeWindow>(m_parent));
        m_system.Show(*m_root);
        m_child = reinterpret_cast<HWND>(m_system.NativeWindow(*m_root));
        ASSERT_TRUE(HostLoop([&] { return WindowColour(m_child, 50, 30) == 0xC81E1Eu; }));
    }

    void TearDown() override {
        m_root.reset();
        DestroyWindow(m_parent);
        PumpThread();
    }

    void Click(int x, int y) {
        SendMouse(MOUSEEVENTF_LEFTDOWN, kParentX + x, kParentY + y);
        SendMouse(MOUSEEVENTF_LEFTUP, kParentX + x, kParentY + y);
    }

    HWND m_parent = nullptr;
    HWND m_child = nullptr;
    YWindowSystemMSWindows m_system;
    EventLog m_log;
    std::unique_ptr<Root> m_root;
    Swatch* m_a = nullptr;
    Swatch* m_b = nullptr;
};

TEST_F(Win32WindowSystemTest, PaintsTheTreeAsAChildOfTheHostWindow) {
    EXPECT_EQ(m_system.Description(), YString("Win32 native window-system"));
    EXPECT_EQ(GetParent(m_child), m_parent);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(m_child, GWL_STYLE)) & ~WS_VISIBLE, 0x440b0000u);
    EXPECT_EQ(WindowColour(m_child, 150, 30), 0x1E1EC8u);
    EXPECT_EQ(WindowColour(m_child, 100, 100), 0x282828u) << "the root's own background";
    EXPECT_EQ(m_system.ClientSize(*m_root), (YSize{200, 120}));
    EXPECT_TRUE(m_system.IsVisible(*m_root));
}

TEST_F(Win32WindowSystemTest, SynthesisedClicksReachTheControlUnderThePointer) {
    m_log.Clear();
    Click(150, 30);
    ASSERT_TRUE(HostLoop([&] { return m_log.Joined().find("b:0") != std::string::npos; })) << m_log.Joined();
    EXPECT_EQ(m_log.Joined().find("a:"), std::string::npos) << m_log.Joined();
    m_log.Clear();
    Click(20, 20);
    ASSERT_TRUE(HostLoop([&] { return m_log.Joined().find("a:0") != std::string::npos; })) << m_log.Joined();
}

// Messages as the system would send them, straight to the window procedure's queue: codes,
// points, flags and the double-click fallback.
TEST_F(Win32WindowSystemTest, PostedMouseAndKeyMessagesArriveAsTheTreesEvents) {
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* expected;
    };
    const Case cases[] = {
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(150, 30), "b:1"},
        {WM_RBUTTONUP, 0, MAKELPARAM(150, 30), ""}, // b did not ask for right-up events
        {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(20, 20), "a:2"},
        {WM_MBUTTONUP, 0, MAKELPARAM(20, 20), ""},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20), "a:6"},
        {WM_LBUTTONUP, 0, MAKELPARAM(20, 20), ""},
    };
    for (const Case& c : cases) {
        m_log.Clear();
        PostMessageW(m_child, c.message, c.wParam, c.lParam);
        HostLoop([] { return false; }, 30);
        std::string seen = m_log.Joined();
        EXPECT_EQ(seen, c.expected) << "message 0x" << std::hex << c.message;
    }

    // A control that ignores double-clicks gets a second press with the double flag.
    m_b->handles = ~Bit(YEventCode::kLeftDoubleClick);
    m_log.Clear();
    PostMessageW(m_child, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 30));
    PostMessageW(m_child, WM_LBUTTONUP, 0, MAKELPARAM(150, 30));
    ASSERT_TRUE(HostLoop([&] { return m_log.Joined().find("b:0+d") != std::string::npos; })) << m_log.Joined();
    EXPECT_EQ(m_log.entries.front(), "b:6");

    // The wheel's point is on the screen; its delta is signed.
    m_log.Clear();
    PostMessageW(m_child, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(kParentX + 150, kParentY + 30));
    ASSERT_TRUE(HostLoop([&] { return m_log.Joined() == "b:10"; })) << m_log.Joined();
}

TEST_F(Win32WindowSystemTest, ARepaintFromTheTreeReachesTheWindowThroughTheInvalidatorThread) {
    const int32_t before = m_system.PaintCount(*m_root);
    m_b->colour = YColor::RGB(20, 180, 40);
    m_b->Repaint(); // the invalidator thread posts the request; the host's loop paints
    ASSERT_TRUE(HostLoop([&] { return WindowColour(m_child, 150, 30) == 0x14B428u; }));
    EXPECT_GT(m_system.PaintCount(*m_root), before);
    EXPECT_EQ(WindowColour(m_child, 50, 30), 0xC81E1Eu);
}

TEST_F(Win32WindowSystemTest, AnUncoveredAreaIsPaintedAgainOnWmPaint) {
    // The host paints over the editor and invalidates it: WM_PAINT restores it from the bitmap.
    HDC dc = GetDC(m_child);
    RECT area{0, 0, 200, 120};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(m_child, dc);
    ASSERT_EQ(WindowColour(m_child, 50, 30), 0xFFFFFFu);
    InvalidateRect(m_child, nullptr, FALSE);
    ASSERT_TRUE(HostLoop([&] { return WindowColour(m_child, 50, 30) == 0xC81E1Eu; }));
    EXPECT_EQ(WindowColour(m_child, 150, 30), 0x1E1EC8u);
}

TEST_F(Win32WindowSystemTest, TheRootFollowsAResizeFromEitherSide) {
    m_system.SetClientSize(*m_root, {260, 150});
    EXPECT_EQ(m_root->Size(), (YSize{260, 150}));
    ASSERT_TRUE(HostLoop([&] { return WindowColour(m_child, 250, 140) == 0x282828u; }));

    // The host sizes the child window itself.
    SetWindowPos(m_child, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(m_root->Size(), (YSize{300, 200}));
    ASSERT_TRUE(HostLoop([&] { return WindowColour(m_child, 290, 190) == 0x282828u; }));
}

TEST_F(Win32WindowSystemTest, DraggingTheFrameStaysWithinTheRootsSizes) {
    m_root->SetMinimalClientSize({150, 100});
    m_root->SetMaximalSize({400, 0}); // no limit of height
    struct Case {
        UINT edge;
        RECT dragged;
        RECT expected;
    };
    const Case cases[] = {
        {WMSZ_BOTTOMRIGHT, {10, 10, 60, 40}, {10, 10, 160, 110}},   // too small: the far edges move out
        {WMSZ_TOPLEFT, {10, 10, 60, 40}, {-90, -60, 60, 40}},       // the near edges move instead
        {WMSZ_RIGHT, {0, 0, 900, 700}, {0, 0, 400, 700}},           // wider than the maximum
        {WMSZ_BOTTOM, {0, 0, 200, 300}, {0, 0, 200, 300}},          // allowed as it is
    };
    for (const Case& c : cases) {
        RECT rect = c.dragged;
        SendMessageW(m_child, WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(rect.left, c.expected.left) << "edge " << c.edge;
        EXPECT_EQ(rect.top, c.expected.top) << "edge " << c.edge;
        EXPECT_EQ(rect.right, c.expected.right) << "edge " << c.edge;
        EXPECT_EQ(rect.bottom, c.expected.bottom) << "edge " << c.edge;
    }
}

TEST_F(Win32WindowSystemTest, TimersCallTheirControlUntilStopped) {
    m_log.Clear();
    m_system.SetTimer(*m_a, 5);
    ASSERT_TRUE(HostLoop([&] { return m_log.entries.size() >= 2; }));
    EXPECT_EQ(m_log.entries[0], "a:timer");
    m_system.SetTimer(*m_a, 0);
    m_log.Clear();
    HostLoop([] { return false; }, 60);
    EXPECT_TRUE(m_log.entries.empty()) << m_log.Joined();
    // A control that goes with its timer running stops it.
    m_system.SetTimer(*m_b, 1);
    m_root->DeleteChild(m_b);
    m_b = nullptr;
    HostLoop([] { return false; }, 40);
    EXPECT_TRUE(m_log.entries.empty()) << m_log.Joined();
}

TEST_F(Win32WindowSystemTest, WorkFromOtherThreadsRunsOnTheGuiThreadThroughPostedMessages) {
    struct Shared {
        YWindowSystemMSWindows* system;
        std::atomic<DWORD> ranOn{0};
    } shared{&m_system};
    // Posted from another thread, as the plug-in's update thread does; the force-execute
    // thread wakes the GUI thread with a posted message, and the host's loop runs the work.
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* context) -> DWORD {
            auto* s = static_cast<Shared*>(context);
            s->system->Windows()->Post(s, [s] { s->ranOn = GetCurrentThreadId(); });
            s->system->Windows()->RequestForceExecute();
            return 0;
        },
        &shared, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    ASSERT_TRUE(HostLoop([&] { return shared.ranOn != 0; }));
    EXPECT_EQ(shared.ranOn.load(), GetCurrentThreadId());

    m_system.DeferredShow(*m_root, false);
    ASSERT_TRUE(HostLoop([&] { return !m_system.IsVisible(*m_root); }));
    m_system.DeferredShow(*m_root, true);
    ASSERT_TRUE(HostLoop([&] { return m_system.IsVisible(*m_root); }));
}

TEST_F(Win32WindowSystemTest, ADeferredCloseAsksTheRootAndDestroysTheWindowInTheHostsLoop) {
    m_system.DeferredClose(*m_root);
    EXPECT_TRUE(m_system.HasWindow(*m_root)) << "not inside the caller";
    ASSERT_TRUE(HostLoop([&] { return !m_system.HasWindow(*m_root); }));
    EXPECT_EQ(m_root->closeRequests, 1);
    EXPECT_EQ(m_root->Descriptor(), nullptr);
    EXPECT_FALSE(IsWindow(m_child));
}

TEST_F(Win32WindowSystemTest, WmCloseClosesAfterTheMessage) {
    SendMessageW(m_child, WM_CLOSE, 0, 0);
    EXPECT_TRUE(m_system.HasWindow(*m_root)) << "never inside the window's own message";
    ASSERT_TRUE(HostLoop([&] { return !m_system.HasWindow(*m_root); }));
    EXPECT_EQ(m_root->closeRequests, 1);
    EXPECT_FALSE(IsWindow(m_child));
}

TEST_F(Win32WindowSystemTest, ReparentingWithoutParentMakesAPopUpAgain) {
    m_system.SetParentWindow(*m_root, 0);
    EXPECT_EQ(GetParent(m_child), nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(m_child, GWL_STYLE)) & ~WS_VISIBLE, 0x840b0000u);
    EXPECT_FALSE(m_system.PlatformWindow(*m_root)->IsChild());
    m_system.SetParentWindow(*m_root, reinterpret_cast<YNativeWindow>(m_parent));
    EXPECT_EQ(GetParent(m_child), m_parent);
}

TEST_F(Win32WindowSystemTest, AHostThatDestroysItsWindowFirstLeavesAWindowThatIsGone) {
    DestroyWindow(m_parent);
    EXPECT_FALSE(IsWindow(m_child));
    EXPECT_FALSE(m_system.PlatformWindow(*m_root)->ProcessEvents());
    // Every later call is harmless.
    m_system.InvalidateRect(*m_root, YRect::FromSize(0, 0, 10, 10));
    m_system.SetClientSize(*m_root, {300, 300});
    HostLoop([] { return false; }, 30);
    m_system.DestroyNativeWindow(*m_root);
    EXPECT_FALSE(m_system.HasWindow(*m_root));
}

TEST_F(Win32WindowSystemTest, ClosingTheWindowFromInsideItsOwnMessageWaitsForTheMessageToEnd) {
    // A control whose press destroys its own window, as a host closing the editor from a click.
    struct Closer : Swatch {
        using Swatch::Swatch;
        YWindowSystemMSWindows* system = nullptr;
        bool HandleEvent(YSystemEvent& event) override {
            Swatch::HandleEvent(event);
            if (event.code == YEventCode::kLeftDown) system->DestroyNativeWindow(*Window());
            return true;
        }
    };
    auto* closer = new Closer(m_root.get(), "c", m_log, YRect::FromSize(10, 70, 40, 40), YColor::RGB(0, 0, 0));
    closer->system = &m_system;
    PostMessageW(m_child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 80));
    ASSERT_TRUE(HostLoop([&] { return !m_system.HasWindow(*m_root); }));
    EXPECT_FALSE(IsWindow(m_child)) << "destroyed once the message returned";
    EXPECT_NE(m_log.Joined().find("c:0"), std::string::npos);
}

// The GDI objects and the window of one open editor window, to see them gone afterwards.
struct WindowObjects {
    HWND window = nullptr;
    HDC memoryDC = nullptr;
    HGDIOBJ bitmap = nullptr;
};

TEST(Win32WindowSystem, OpensAndClosesInALoopWithoutLeakingHandles) {
    HWND parent = CreateHostWindow(300, 200);
    ASSERT_NE(parent, nullptr);
    const auto cycle = [&] {
        WindowObjects objects;
        YWindowSystemMSWindows system;
        Root root(&system);
        root.SetSize(120, 80);
        system.CreateNativeWindow(root, 0);
        system.SetParentWindow(root, reinterpret_cast<YNativeWindow>(parent));
        system.Show(root);
        system.SetTimer(root, 10);
        objects.window = reinterpret_cast<HWND>(system.NativeWindow(root));
        UpdateWindow(objects.window);
        PumpThread();
        if (auto* bitmap = dynamic_cast<YSysBitmap*>(root.Descriptor()->Target())) {
            objects.memoryDC = bitmap->DC();
            objects.bitmap = GetCurrentObject(bitmap->DC(), OBJ_BITMAP);
        }
        system.DestroyNativeWindow(root);
        return objects;
    };
    const WindowObjects first = cycle(); // registers the class and loads what stays
    ASSERT_NE(first.memoryDC, nullptr) << "the window painted into a DIB section";
    EXPECT_EQ(GetObjectType(first.bitmap), 0u) << "the DIB section went with the window";
    EXPECT_EQ(GetObjectType(first.memoryDC), 0u);
    EXPECT_FALSE(IsWindow(first.window));

    HANDLE process = GetCurrentProcess();
    // Zero where the system does not count them (Wine): then the objects are checked one by one.
    const DWORD gdiBefore = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD start = GetTickCount();
    constexpr int kCycles = 200;
    int leftOver = 0;
    for (int i = 0; i < kCycles; ++i) {
        const WindowObjects objects = cycle();
        leftOver += GetObjectType(objects.bitmap) != 0 || GetObjectType(objects.memoryDC) != 0 || IsWindow(objects.window);
    }
    const DWORD elapsed = GetTickCount() - start;
    std::printf("[ figures  ] %d window open/close cycles: %lu ms; GDI objects %lu -> %lu, user objects %lu -> %lu\n",
                kCycles, static_cast<unsigned long>(elapsed), static_cast<unsigned long>(gdiBefore),
                static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)),
                static_cast<unsigned long>(userBefore),
                static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)));
    EXPECT_EQ(leftOver, 0);
    EXPECT_LE(GetGuiResources(process, GR_GDIOBJECTS), gdiBefore + 2);
    EXPECT_LE(GetGuiResources(process, GR_USEROBJECTS), userBefore + 2);
    DestroyWindow(parent);
}

TEST(Win32WindowSystem, TheClassIsRegisteredOnceAndGoesWithTheLibrary) {
    {
        YWindowSystemMSWindows system;
        Root first(&system), second(&system);
        system.CreateNativeWindow(first, 0);
        system.CreateNativeWindow(second, 0);
        WNDCLASSEXW info{};
        info.cbSize = sizeof info;
        const auto instance = reinterpret_cast<HINSTANCE>(GetClassLongPtrW(
            reinterpret_cast<HWND>(system.NativeWindow(first)), GCLP_HMODULE));
        EXPECT_TRUE(GetClassInfoExW(instance, L"VornikEditorWindow", &info));
        EXPECT_EQ(info.style & CS_DBLCLKS, static_cast<UINT>(CS_DBLCLKS));
        // Not while windows of it exist.
        YWindowSystemMSWindows::UnregisterWindowClass();
        EXPECT_TRUE(GetClassInfoExW(instance, L"VornikEditorWindow", &info));
        system.DestroyNativeWindow(first);
        system.DestroyNativeWindow(second);
        YWindowSystemMSWindows::UnregisterWindowClass();
        EXPECT_FALSE(GetClassInfoExW(instance, L"VornikEditorWindow", &info));
    }
    // A later window registers it again.
    YWindowSystemMSWindows system;
    Root root(&system);
    system.CreateNativeWindow(root, 0);
    EXPECT_TRUE(system.HasWindow(root));
}

} // namespace
