// The Win32 platform window alone, with a listener that records what reaches it: keys from
// synthetic keyboard input as virtual keys with their characters, the capture and the leave
// notification, the clipboard, and other threads waking the GUI thread with posted messages.
#include "gui/RecordingListener.h"
#include "gui/windows/YPlatformWindow.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace {

constexpr int kParentX = 20;
constexpr int kParentY = 20;

void PumpThread() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

template <typename F> bool HostLoop(F&& condition, uint32_t timeoutMs = 3000) {
    return WaitUntil(
        [&] {
            PumpThread();
            return condition();
        },
        timeoutMs);
}

void SendMouse(DWORD flags, int screenX, int screenY) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = screenX * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = screenY * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXW host{};
        host.cbSize = sizeof host;
        host.lpfnWndProc = DefWindowProcW;
        host.hInstance = GetModuleHandleW(nullptr);
        host.lpszClassName = L"TestPlainHost";
        RegisterClassExW(&host);
        m_parent = CreateWindowExW(0, L"TestPlainHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kParentX,
                                   kParentY, 400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
        m_window = YPlatformWindow::Create(m_listener, 200, 100);
        m_listener.window = m_window.get();
        m_window->Reparent(m_parent);
        m_window->Show(true);
        ASSERT_TRUE(HostLoop([&] { return m_listener.paints > 0; }));
    }
    void TearDown() override {
        m_window.reset();
        DestroyWindow(m_parent);
        PumpThread();
    }

    HWND Child() const { return static_cast<HWND>(m_window->Handle()); }

    HWND m_parent = nullptr;
    RecordingListener m_listener;
    std::unique_ptr<YPlatformWindow> m_window;
};

TEST_F(Win32WindowTest, PaintsThroughThePresentedBitmapAndTellsTheDirtyArea) {
    HDC dc = GetDC(Child());
    const COLORREF left = GetPixel(dc, 10, 10), right = GetPixel(dc, 190, 90);
    ReleaseDC(Child(), dc);
    EXPECT_EQ(left, static_cast<COLORREF>(0x1020C0)) << "COLORREF is 0x00BBGGRR";
    EXPECT_EQ(right, static_cast<COLORREF>(0xE04010));
    const int before = m_listener.paints;
    m_window->Invalidate(YRect::FromSize(20, 30, 10, 5));
    m_window->Update();
    EXPECT_EQ(m_listener.paints, before + 1) << "Update paints at once";
    EXPECT_EQ(m_listener.lastDirty, YRect::FromSize(20, 30, 10, 5));
    m_window->Invalidate(YRect::Empty());
    m_window->Update();
    EXPECT_EQ(m_listener.paints, before + 1) << "an empty rectangle paints nothing";
}

TEST_F(Win32WindowTest, KeysArriveAsVirtualKeysWithTheirCharacters) {
    m_window->Focus();
    ASSERT_TRUE(HostLoop([&] { return !m_listener.focus.empty() && m_listener.focus.back(); }));
    EXPECT_TRUE(m_window->HasFocus());
    struct Case {
        WORD virtualKey;
        char32_t character;
    };
    const Case cases[] = {{'A', U'a'}, {VK_F1, 0}, {VK_RETURN, U'\r'}, {VK_LEFT, 0}, {'5', U'5'}, {VK_ESCAPE, U'\x1B'}};
    for (const Case& c : cases) {
        m_listener.keys.clear();
        SendKey(c.virtualKey, false);
        SendKey(c.virtualKey, true);
        ASSERT_TRUE(HostLoop([&] { return !m_listener.keys.empty() && m_listener.keys.back().code == YEventCode::kKeyUp; }))
            << "key 0x" << std::hex << c.virtualKey;
        EXPECT_EQ(m_listener.keys.front().code, YEventCode::kKeyDown);
        EXPECT_EQ(m_listener.keys.front().keyCode, c.virtualKey);
        char32_t typed = 0;
        for (const YSystemEvent& key : m_listener.keys)
            if (key.code == YEventCode::kCharacter) typed = static_cast<char32_t>(key.character);
        EXPECT_EQ(typed, c.character) << "key 0x" << std::hex << c.virtualKey;
    }
    // Ctrl+A is a shortcut: the key with the Ctrl flag, no character.
    m_listener.keys.clear();
    SendKey(VK_CONTROL, false);
    SendKey('A', false);
    SendKey('A', true);
    SendKey(VK_CONTROL, true);
    ASSERT_TRUE(HostLoop([&] { return m_listener.keys.size() >= 4; }));
    bool sawCtrlA = false;
    for (const YSystemEvent& key : m_listener.keys) {
        EXPECT_NE(key.code, YEventCode::kCharacter);
        sawCtrlA = sawCtrlA || (key.keyCode == 'A' && (key.flags & YEventFlag::kCtrl) != 0);
    }
    EXPECT_TRUE(sawCtrlA);
}

TEST_F(Win32WindowTest, CaptureKeepsTheMouseAndLeaveIsToldOnce) {
    m_window->SetCapture(true);
    EXPECT_TRUE(m_window->HasCapture());
    // Pressed outside the window (but inside the parent): still ours, in our coordinates.
    SendMouse(MOUSEEVENTF_LEFTDOWN, kParentX + 300, kParentY + 250);
    SendMouse(MOUSEEVENTF_LEFTUP, kParentX + 300, kParentY + 250);
    ASSERT_TRUE(HostLoop([&] { return m_listener.Mouse(YEventCode::kLeftUp).size() == 1; }));
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDown)[0].point, (YPoint{300, 250}));
    m_window->SetCapture(false);
    EXPECT_FALSE(m_window->HasCapture());
    EXPECT_EQ(m_listener.captureLost, 1);

    // Without capture the parent's area is not ours.
    SendMouse(MOUSEEVENTF_LEFTDOWN, kParentX + 300, kParentY + 250);
    SendMouse(MOUSEEVENTF_LEFTUP, kParentX + 300, kParentY + 250);
    HostLoop([] { return false; }, 100);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kLeftDown).size(), 1u);

    SendMouse(0, kParentX + 50, kParentY + 50);
    HostLoop([] { return false; }, 50);
    m_window->TrackMouseLeave();
    SendMouse(0, kParentX + 350, kParentY + 50);
    ASSERT_TRUE(HostLoop([&] { return m_listener.Mouse(YEventCode::kMouseLeave).size() == 1; }));
    SendMouse(0, kParentX + 50, kParentY + 50);
    SendMouse(0, kParentX + 350, kParentY + 50);
    HostLoop([] { return false; }, 100);
    EXPECT_EQ(m_listener.Mouse(YEventCode::kMouseLeave).size(), 1u) << "one leave per request";
}

TEST_F(Win32WindowTest, ClipboardTextTravelsBetweenWindows) {
    const YString text = YString::FromUTF8("Depth 42 % \xC3\xA4 \xF0\x9F\x8E\xB8");
    m_window->SetClipboardText(text);
    EXPECT_EQ(m_window->ClipboardText().ToUTF8(), text.ToUTF8());
    RecordingListener otherListener;
    auto other = YPlatformWindow::Create(otherListener, 10, 10);
    EXPECT_EQ(other->ClipboardText().ToUTF8(), text.ToUTF8());
    // What another program put there.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_TRUE(m_window->ClipboardText().IsEmpty());
}

TEST_F(Win32WindowTest, OtherThreadsWakeTheGuiThreadWithPostedMessages) {
    const DWORD guiThread = GetCurrentThreadId();
    const int before = m_listener.paints;
    std::thread other([&] {
        m_window->InvalidateFromAnyThread(YRect::FromSize(0, 0, 50, 50));
        m_window->PostPrivateMessage(YWindowSystem::kMessageRelayout);
        for (int i = 0; i < 100; ++i) m_window->PostPrivateMessage(YWindowSystem::kMessageWakeUp);
        m_window->PostPrivateMessage(YWindowSystem::kMessageClose);
    });
    other.join();
    EXPECT_EQ(m_listener.paints, before) << "nothing ran on the other thread";
    ASSERT_TRUE(HostLoop([&] { return m_listener.closes == 1 && m_listener.paints > before; }));
    EXPECT_EQ(m_listener.lastDirty, YRect::FromSize(0, 0, 50, 50));
    ASSERT_FALSE(m_listener.messages.empty());
    EXPECT_EQ(m_listener.messages.front(), YWindowSystem::kMessageWakeUp);
    int wakeUps = 0, relayouts = 0;
    for (uint32_t message : m_listener.messages) {
        wakeUps += message == YWindowSystem::kMessageWakeUp;
        relayouts += message == YWindowSystem::kMessageRelayout;
    }
    EXPECT_EQ(relayouts, 1);
    EXPECT_LE(wakeUps, 2) << "waiting wake-ups are one message";
    EXPECT_EQ(GetCurrentThreadId(), guiThread);
}

TEST_F(Win32WindowTest, ResizesFromThePlugInAndFromTheHost) {
    m_window->SetClientSize(300, 150);
    EXPECT_EQ(m_window->ClientSize(), (YSize{300, 150}));
    ASSERT_FALSE(m_listener.sizes.empty());
    EXPECT_EQ(m_listener.sizes.back(), (YSize{300, 150}));
    SetWindowPos(Child(), nullptr, 0, 0, 120, 80, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(m_listener.sizes.back(), (YSize{120, 80}));
    EXPECT_EQ(m_window->ClientSize(), (YSize{120, 80}));
    m_window->SetClientSize(0, -5);
    EXPECT_EQ(m_window->ClientSize(), (YSize{1, 1})) << "never below one pixel";
    EXPECT_EQ(m_window->WindowRect(), YRect::FromSize(0, 0, 1, 1)) << "in the parent's coordinates";
}

} // namespace
