// The editor through the built DLL, as Windows hosts show it: a VST 2.4 host and a VST 3 host
// open it in their own window, their message loop delivers its messages, it repaints when the
// host changes a parameter, follows resizes, closes, and survives bad host sequences.
#include "entry/vst3/Vst3TestHost.h"
#include "host/Vst3TestInstance.h"
#include "host/VstTestHost.h"

#include "gui/windows/PngSnapshot.h"
#include "platform/YPlatformTime.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#undef RGB

#include <cstdio>
#include <string>

namespace {

using namespace VstTestHost;

// The editor's value bar of the first parameter, and its colours (0xRRGGBB).
constexpr int kBarY = 34 + 7;
constexpr uint32_t kBarColour = 0xE2A030;
constexpr uint32_t kTrackColour = 0x101216;

HWND CreateHostWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW host{};
        host.cbSize = sizeof host;
        host.lpfnWndProc = DefWindowProcW;
        host.hInstance = GetModuleHandleW(nullptr);
        host.lpszClassName = L"TestEditorHost";
        registered = RegisterClassExW(&host) != 0;
    }
    return CreateWindowExW(0, L"TestEditorHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, 600,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void PumpThread() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int ChildCount(HWND parent) {
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) ++count;
    return count;
}

uint32_t WindowColour(HWND window, int x, int y) {
    if (window == nullptr) return 0xFFFFFFFFu;
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    if (colour == CLR_INVALID) return 0xFFFFFFFFu;
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// What the window shows, as a PNG in the build folder for a person to look at.
bool Snapshot(HWND window, const std::string& name) {
    RECT client{};
    GetClientRect(window, &client);
    YBitmap bitmap(client.right, client.bottom);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy == nullptr) return false;
    HDC source = GetDC(window);
    HDC target = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(target, copy);
    BitBlt(target, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const YColor*>(bits);
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            bitmap.At(x, y) = pixels[y * bitmap.Width() + x];
            bitmap.At(x, y).a = 255;
        }
    SelectObject(target, previous);
    DeleteDC(target);
    ReleaseDC(window, source);
    DeleteObject(copy);
    CreateDirectoryA(VORNIK_SNAPSHOT_DIR, nullptr);
    return snapshot::WritePng(bitmap, std::string(VORNIK_SNAPSHOT_DIR) + "/" + name);
}

class VstHostEditorWin32Test : public StartedInstanceTest {
protected:
    void SetUp() override {
        StartedInstanceTest::SetUp();
        m_parent = CreateHostWindow();
        ASSERT_NE(m_parent, nullptr);
    }
    void TearDown() override {
        if (m_instance) Plugin().Dispatch(Vst2::effEditClose);
        m_instance.reset();
        DestroyWindow(m_parent);
        PumpThread();
    }

    HWND Editor() const { return GetWindow(m_parent, GW_CHILD); }

    // The host's loop and its idle calls until condition holds.
    template <typename F> bool Loop(F&& condition, uint32_t timeoutMs = 3000) {
        const uint32_t start = YPlatformTickCount();
        while (true) {
            PumpThread();
            Plugin().Dispatch(Vst2::effEditIdle);
            if (condition()) return true;
            if (YPlatformTickCount() - start >= timeoutMs) return false;
            YPlatformSleep(5);
        }
    }

    Vst2::ERect Rect() {
        Vst2::ERect* rect = nullptr;
        EXPECT_EQ(Plugin().Dispatch(Vst2::effEditGetRect, 0, 0, &rect), 1);
        return rect != nullptr ? *rect : Vst2::ERect{};
    }

    HWND m_parent = nullptr;
};

TEST_F(VstHostEditorWin32Test, TheEditorOpensInTheHostWindowAndShowsParameterChanges) {
    EXPECT_NE(Plugin().Effect()->flags & Vst2::effFlagsHasEditor, 0);
    const Vst2::ERect rect = Rect();
    EXPECT_EQ(rect.right, 520);
    EXPECT_GT(rect.bottom, 300) << "room for every parameter";

    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    EXPECT_EQ(ChildCount(m_parent), 1);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));

    // The host moves the parameter: the editor hears of it through its update list.
    Plugin().Set(0, 0.0f);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kTrackColour; }));
    Plugin().Set(0, 0.5f);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 350, kBarY) == kBarColour; }));
    EXPECT_EQ(WindowColour(Editor(), 500, kBarY), kTrackColour);
    EXPECT_TRUE(Snapshot(Editor(), "editor-win32-vst2.png"));

    Plugin().Dispatch(Vst2::effEditClose);
    EXPECT_EQ(ChildCount(m_parent), 0) << "closing takes the window out of the host's";
}

TEST_F(VstHostEditorWin32Test, TheHostsLoopAloneKeepsTheEditorCurrent) {
    // Hosts that send no idle calls: the editor's own messages carry the updates.
    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    const auto loopOnly = [&](auto condition) {
        const uint32_t start = YPlatformTickCount();
        while (!condition()) {
            if (YPlatformTickCount() - start >= 3000) return false;
            PumpThread();
            YPlatformSleep(5);
        }
        return true;
    };
    ASSERT_TRUE(loopOnly([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
    Plugin().Set(0, 0.0f);
    ASSERT_TRUE(loopOnly([&] { return WindowColour(Editor(), 500, kBarY) == kTrackColour; }));
}

TEST_F(VstHostEditorWin32Test, TheEditorFollowsTheHostResizingItsWindow) {
    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
    SetWindowPos(Editor(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 680, kBarY) == kBarColour; }));
    const Vst2::ERect rect = Rect();
    EXPECT_EQ(rect.right, 700);
    EXPECT_EQ(rect.bottom, 500);
}

TEST_F(VstHostEditorWin32Test, BadHostSequencesGetNeutralAnswers) {
    Plugin().Dispatch(Vst2::effEditClose);
    Plugin().Dispatch(Vst2::effEditIdle);
    EXPECT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, nullptr), 0) << "no parent";
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    // Opened again without a close: one window stays.
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    Loop([] { return false; }, 50);
    EXPECT_EQ(ChildCount(m_parent), 1);
    Plugin().Dispatch(Vst2::effEditClose);
    Plugin().Dispatch(Vst2::effEditClose);
    EXPECT_EQ(ChildCount(m_parent), 0);
}

// A host that closes the editor from inside one of the editor window's own messages: the host
// sizes the window, and a hook of the host closes the editor while the window procedure is
// still busy with the size change (WM_SIZE is sent from inside WM_WINDOWPOSCHANGED).
TEST_F(VstHostEditorWin32Test, ClosingFromInsideTheEditorsOwnMessageIsSafe) {
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    static Instance* s_instance = nullptr;
    static WNDPROC s_original = nullptr;
    static int s_closes = 0;
    s_instance = &Plugin();
    s_closes = 0;
    s_original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(editor, GWLP_WNDPROC));
    const auto hook = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_SIZE && s_closes == 0) {
            ++s_closes;
            s_instance->Dispatch(Vst2::effEditClose);
        }
        return CallWindowProcW(s_original, hwnd, message, wParam, lParam);
    };
    SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+hook));
    SetWindowPos(editor, nullptr, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(s_closes, 1);
    EXPECT_FALSE(IsWindow(editor)) << "destroyed once the outer message returned";
    EXPECT_EQ(ChildCount(m_parent), 0);
    Plugin().Dispatch(Vst2::effEditIdle);
    // A working editor afterwards.
    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
}

TEST_F(VstHostEditorWin32Test, OpensAndClosesAThousandTimes) {
    const auto committed = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return static_cast<unsigned long>(counters.PagefileUsage / 1024);
    };
    // One round first: what the first editor loads for good (fonts, the window class).
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    Plugin().Dispatch(Vst2::effEditClose);
    const unsigned long memoryBefore = committed();
    const uint32_t start = YPlatformTickCount();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1) << "round " << i;
        PumpThread();
        Plugin().Dispatch(Vst2::effEditIdle);
        if (i % 2 == 0) Plugin().Set(0, static_cast<float>(i % 10) / 10.0f);
        Plugin().Dispatch(Vst2::effEditClose);
    }
    std::printf("[ figures  ] 1000 editor open/close cycles through VST 2.4: %u ms; committed memory %lu KiB -> %lu KiB\n",
                static_cast<unsigned>(YPlatformTickCount() - start), memoryBefore, committed());
    EXPECT_EQ(ChildCount(m_parent), 0);
    Plugin().Set(0, 1.0f);
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
}

// Not a test: the process's CPU time while an open editor idles for 10 s in the host's loop.
// Run with --gtest_also_run_disabled_tests --gtest_filter=*IdleCpu*.
TEST_F(VstHostEditorWin32Test, DISABLED_IdleCpuOfAnOpenEditor) {
    const auto cpu = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        const auto value = [](FILETIME t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
        return value(kernel) + value(user); // 100 ns units
    };
    // A host's loop for 10 s: wait for messages, dispatch them, idle every 20 ms.
    const auto hostLoop = [&] {
        const uint64_t before = cpu();
        const uint32_t start = YPlatformTickCount();
        while (YPlatformTickCount() - start < 10000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            PumpThread();
            Plugin().Dispatch(Vst2::effEditIdle);
        }
        return static_cast<double>(cpu() - before) / 1e7;
    };
    const double closed = hostLoop();
    ASSERT_EQ(Plugin().Dispatch(Vst2::effEditOpen, 0, 0, m_parent), 1);
    Loop([] { return false; }, 500);
    const double open = hostLoop();
    std::printf("[ figures  ] host loop over 10 s, editor closed: %.3f s of CPU (%.2f %% of a core); "
                "editor open: %.3f s (%.2f %%)\n",
                closed, closed * 10.0, open, open * 10.0);
}

// ---------------------------------------------------------------------------------------------
// VST 3

class Frame final : public Vst3::IPlugFrame {
public:
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override {
        if (Vst3::FUnknown::iid.Matches(iid) || Vst3::IPlugFrame::iid.Matches(iid)) {
            *obj = this;
            return Vst3::kResultOk;
        }
        *obj = nullptr;
        return Vst3::kNoInterface;
    }
    Vst3::uint32 Y_VST3_CALL addRef() override { return 1; }
    Vst3::uint32 Y_VST3_CALL release() override { return 1; }
    Vst3::tresult Y_VST3_CALL resizeView(Vst3::IPlugView* view, Vst3::ViewRect* size) override {
        ++resizes;
        last = *size;
        // A host resizes the view it was asked to, then tells it.
        return view->onSize(size);
    }
    int resizes = 0;
    Vst3::ViewRect last{};
};

class Vst3EditorWin32Test : public Vst3Test::FactoryTest {
protected:
    void SetUp() override {
        FactoryTest::SetUp();
        m_instance = std::make_unique<Vst3Test::Vst3Instance>(*factory);
        ASSERT_TRUE(m_instance->Ok());
        m_parent = CreateHostWindow();
        ASSERT_NE(m_parent, nullptr);
        m_view = m_instance->controller->createView("editor");
        ASSERT_NE(m_view, nullptr);
        m_view->setFrame(&m_frame);
    }
    void TearDown() override {
        if (m_view != nullptr) {
            m_view->removed();
            m_view->setFrame(nullptr);
            m_view->release();
        }
        m_instance.reset();
        DestroyWindow(m_parent);
        PumpThread();
        FactoryTest::TearDown();
    }

    HWND Editor() const { return GetWindow(m_parent, GW_CHILD); }

    // The host sets the first parameter: on the controller, and on the processor with the
    // next block, which is where the plug-in (and so its editor) takes it.
    void SetFirstParameter(double value) {
        Vst3::ParameterInfo info{};
        ASSERT_EQ(m_instance->controller->getParameterInfo(0, info), Vst3::kResultOk);
        m_instance->controller->setParamNormalized(info.id, value);
        Vst3Test::ParameterChanges changes;
        changes.Add(info.id).points = {{0, value}};
        Vst3::ProcessData data{};
        data.symbolicSampleSize = Vst3::kSample32;
        data.inputParameterChanges = &changes;
        ASSERT_EQ(m_instance->processor->process(data), Vst3::kResultOk);
    }

    template <typename F> bool Loop(F&& condition, uint32_t timeoutMs = 3000) {
        const uint32_t start = YPlatformTickCount();
        while (true) {
            PumpThread();
            if (condition()) return true;
            if (YPlatformTickCount() - start >= timeoutMs) return false;
            YPlatformSleep(5);
        }
    }

    std::unique_ptr<Vst3Test::Vst3Instance> m_instance;
    HWND m_parent = nullptr;
    Vst3::IPlugView* m_view = nullptr;
    Frame m_frame;
};

TEST_F(Vst3EditorWin32Test, AttachesToAnHwndShowsParameterChangesAndResizes) {
    EXPECT_EQ(m_view->isPlatformTypeSupported("HWND"), Vst3::kResultTrue);
    EXPECT_EQ(m_view->isPlatformTypeSupported("X11EmbedWindowID"), Vst3::kResultFalse);
    Vst3::ViewRect size{};
    ASSERT_EQ(m_view->getSize(&size), Vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, 520);

    SetFirstParameter(1.0);
    ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk);
    EXPECT_EQ(ChildCount(m_parent), 1);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
    SetFirstParameter(0.0);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kTrackColour; }));
    EXPECT_TRUE(Snapshot(Editor(), "editor-win32-vst3.png"));

    // The host resizes the view: the window and the editor follow.
    Vst3::ViewRect bigger{0, 0, 640, 480};
    ASSERT_EQ(m_view->onSize(&bigger), Vst3::kResultOk);
    RECT client{};
    GetClientRect(Editor(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    ASSERT_EQ(m_view->getSize(&size), Vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, 640);

    ASSERT_EQ(m_view->removed(), Vst3::kResultOk);
    EXPECT_EQ(ChildCount(m_parent), 0);
}

TEST_F(Vst3EditorWin32Test, BadHostSequencesGetNeutralAnswers) {
    EXPECT_EQ(m_view->removed(), Vst3::kResultFalse) << "removed before attached";
    EXPECT_EQ(m_view->attached(m_parent, "X11EmbedWindowID"), Vst3::kResultFalse);
    EXPECT_EQ(m_view->attached(nullptr, "HWND"), Vst3::kResultFalse);
    ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk);
    // Attached again without removed: one window stays.
    ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk);
    Loop([] { return false; }, 50);
    EXPECT_EQ(ChildCount(m_parent), 1);
    RECT before{};
    GetClientRect(Editor(), &before);
    for (Vst3::ViewRect bad : {Vst3::ViewRect{0, 0, 0, 0}, Vst3::ViewRect{0, 0, -20, 300}, Vst3::ViewRect{50, 50, 10, 10}}) {
        EXPECT_EQ(m_view->onSize(&bad), Vst3::kResultFalse);
    }
    RECT after{};
    GetClientRect(Editor(), &after);
    EXPECT_EQ(after.right, before.right) << "the editor keeps its size";
    EXPECT_EQ(m_view->onSize(nullptr), Vst3::kInvalidArgument);
    EXPECT_EQ(m_view->removed(), Vst3::kResultOk);
    EXPECT_EQ(m_view->removed(), Vst3::kResultFalse) << "removed twice";
    EXPECT_EQ(ChildCount(m_parent), 0);
    // Attached again after all that: a working editor.
    SetFirstParameter(1.0);
    ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
}

// removed() from inside the editor window's own size change, through a hook of the host.
TEST_F(Vst3EditorWin32Test, RemovedFromInsideTheEditorsOwnMessageIsSafe) {
    ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk);
    HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    static Vst3::IPlugView* s_view = nullptr;
    static WNDPROC s_original = nullptr;
    static Vst3::tresult s_removed = Vst3::kResultFalse;
    s_view = m_view;
    s_removed = Vst3::kResultFalse;
    s_original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(editor, GWLP_WNDPROC));
    const auto hook = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_SIZE && s_removed != Vst3::kResultOk) s_removed = s_view->removed();
        return CallWindowProcW(s_original, hwnd, message, wParam, lParam);
    };
    SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+hook));
    SetWindowPos(editor, nullptr, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(s_removed, Vst3::kResultOk);
    EXPECT_FALSE(IsWindow(editor)) << "destroyed once the outer message returned";
    EXPECT_EQ(m_view->removed(), Vst3::kResultFalse);
    Vst3::ViewRect size{0, 0, 500, 400};
    EXPECT_EQ(m_view->onSize(&size), Vst3::kResultFalse) << "no editor to size";
    SetFirstParameter(1.0);
    ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk);
    ASSERT_TRUE(Loop([&] { return WindowColour(Editor(), 500, kBarY) == kBarColour; }));
}

TEST_F(Vst3EditorWin32Test, AttachesAndRemovesInALoop) {
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(m_view->attached(m_parent, "HWND"), Vst3::kResultOk) << "round " << i;
        PumpThread();
        ASSERT_EQ(m_view->removed(), Vst3::kResultOk);
    }
    EXPECT_EQ(ChildCount(m_parent), 0);
}

} // namespace
