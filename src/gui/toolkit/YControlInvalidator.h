// YControlInvalidator: one per window. Controls add the rectangles that need repainting; a
// pass (on the invalidator thread, or in a test) takes the merged rectangle and asks the
// window system to repaint it, which leads to a paint on the GUI thread.
#pragma once

#include "core/YEventTarget.h"
#include "gui/drawing/YGeometry.h"
#include "gui/toolkit/YEvent.h"
#include "gui/toolkit/YEventParams.h"
#include "platform/YSynchronizer.h"

#include <atomic>

class YControl;
class YControlInvalidatorThread;

class YControlInvalidator : public YEventTarget {
public:
    // Repaint requests go to the window system of root (its OnInvalidate handler).
    explicit YControlInvalidator(YControl& root);
    ~YControlInvalidator() override;

    // Unites a window rectangle with the dirty rectangle; an empty one changes nothing. The
    // first rectangle after a pass wakes the invalidator thread. Any thread.
    void Invalidate(const YRect& rect);
    // Takes the dirty rectangle and leaves it empty; when it was not empty, fires
    // OnInvalidate with it. True when it fired. Any thread (one at a time per window is
    // enough: the lock makes it safe from several).
    bool Process();
    // The dirty rectangle now (for checks).
    YRect Dirty();

    // The thread that runs this invalidator's passes (set by its Register, cleared by
    // Unregister).
    void SetThread(YControlInvalidatorThread* thread) noexcept { m_thread.store(thread, std::memory_order_release); }

    // Fired by Process; the invalidator's own handler asks the window system to repaint.
    YEvent<YOnInvalidateParams> OnInvalidate;
    void OnInvalidateHandler(YOnInvalidateParams& params);

private:
    YControl& m_root;
    std::atomic<YControlInvalidatorThread*> m_thread{nullptr};
    YLock m_lock;
    YRect m_dirty; // empty when nothing waits
};
