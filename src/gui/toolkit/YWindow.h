// YWindow: the root control of a tree, with the native window behind it. It holds what the
// whole tree shares: the window system, the read/write lock, the invalidator, the global
// event handlers and the help display, and it is where the window system's events enter
// the tree (Dispatch) and where painting starts (PaintWindow).
#pragma once

#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YControlInvalidator.h"
#include "platform/YERWLock.h"

class YStyle;
class YWindowSystem;
class YWindowDescriptor;

// Shows the help of a control (F1): the product supplies it.
class YHelpDisplay {
public:
    virtual ~YHelpDisplay() = default;
    virtual void ShowHelp(YControl& control) = 0;
};

class YWindow : public YContainer {
public:
    // A root window on a window system (nullptr: a tree that is never shown, for tests of
    // the tree alone). Registers its invalidator with the window system's threads.
    explicit YWindow(YWindowSystem* windowSystem, const YString& id = YString());
    ~YWindow() override;

    YWindowSystem* System() const noexcept { return m_windowSystem; }
    YERWLock& Lock() noexcept { return m_lock; }
    YControlInvalidator& Invalidator() noexcept { return m_invalidator; }

    // The entry of every event from the window system: takes the lock exclusively, routes
    // the event through the tree (a double-click that nobody takes comes again as the
    // matching "down" with the double flag), then offers what is still unhandled to the
    // global handlers and, for F1 with help switched on, shows help of the deepest control
    // under the pointer. Never throws.
    bool Dispatch(YSystemEvent event);

    // Paints the part of the window inside updateRect into the window descriptor's bitmap:
    // nothing when the rectangle is empty; a bitmap whose size differs from the window's is
    // recreated and everything repainted. Returns the rectangle painted (empty: none).
    // Takes the lock shared. Never throws.
    YRect PaintWindow(const YRect& updateRect);

    // Help (F1).
    YHelpDisplay* HelpDisplay() const noexcept { return m_helpDisplay; }
    void SetHelpDisplay(YHelpDisplay* display) noexcept { m_helpDisplay = display; }
    void ShowHelp(YControl& control) override;

    // The control Tab (or Shift+Tab, backwards) moves the focus to from from: the next that
    // can take the focus in tree order, wrapping around; nullptr when none can.
    YControl* NextTabStop(YControl* from, bool backwards);

    // Closing through the message loop instead of at once (the window system posts it).
    bool DeferredClosing() const noexcept { return m_deferredClosing; }
    void SetDeferredClosing(bool deferred) noexcept { m_deferredClosing = deferred; }
    // The largest client size (0: none), for the window system's sizing clamp.
    YSize MaximalSize() const noexcept { return m_maximalSize; }
    void SetMaximalSize(YSize size) noexcept { m_maximalSize = size; }

    // The window's own style (not owned; nullptr: the process-wide default paints it).
    YStyle* OwnStyle() const noexcept { return m_style; }
    void SetStyle(YStyle* style) noexcept { m_style = style; }

    // The window system's descriptor of the native window (extension tag kDescriptorTag).
    YWindowDescriptor* Descriptor() const noexcept;

    // The root follows the native window's client size.
    void SetClientSizeFromWindow(int32_t width, int32_t height) override;
    void Invalidate(const YRect& windowRect) override;

    // Handlers that see every event the tree left unhandled, in order until one takes it.
    YEvent<YOnGlobalEventParams> GlobalHandlers;

    // Counts of what PaintWindow did (for checks): bitmaps created, passes that painted.
    int32_t BitmapsCreated() const noexcept { return m_bitmapsCreated; }
    int32_t PaintPasses() const noexcept { return m_paintPasses; }

private:
    friend class YControl;

    bool DispatchLocked(YSystemEvent& event);
    void PaintTree(YControl& control, YDrawer& drawer, const YRect& updateRect, bool all);

    YWindowSystem* m_windowSystem;
    YERWLock m_lock;
    YControlInvalidator m_invalidator;
    YHelpDisplay* m_helpDisplay = nullptr;
    YStyle* m_style = nullptr;
    YControl* m_captured = nullptr; // the control holding the mouse capture
    bool m_deferredClosing = false;
    YSize m_maximalSize;
    int32_t m_bitmapsCreated = 0;
    int32_t m_paintPasses = 0;
};
