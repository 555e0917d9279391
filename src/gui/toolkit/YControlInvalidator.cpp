#include "gui/toolkit/YControlInvalidator.h"

#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YControlInvalidatorThread.h"
#include "gui/toolkit/YWindowSystem.h"

YControlInvalidator::YControlInvalidator(YControl& root) : m_root(root) {
    OnInvalidate.Add<&YControlInvalidator::OnInvalidateHandler>(this);
}

YControlInvalidator::~YControlInvalidator() = default;

void YControlInvalidator::Invalidate(const YRect& rect) {
    if (rect.IsEmpty()) return;
    bool first = false;
    {
        YScopedLock hold(m_lock);
        first = m_dirty.IsEmpty();
        m_dirty = m_dirty.Union(rect);
    }
    // Later rectangles join the pass already asked for.
    if (first)
        if (YControlInvalidatorThread* thread = m_thread.load(std::memory_order_acquire)) thread->Wake();
}

bool YControlInvalidator::Process() {
    YRect dirty;
    {
        YScopedLock hold(m_lock);
        dirty = m_dirty;
        m_dirty = YRect::Empty();
    }
    if (dirty.IsEmpty()) return false;
    YOnInvalidateParams params{dirty};
    OnInvalidate.Fire(params);
    return true;
}

YRect YControlInvalidator::Dirty() {
    YScopedLock hold(m_lock);
    return m_dirty;
}

void YControlInvalidator::OnInvalidateHandler(YOnInvalidateParams& params) {
    // The window system's invalidate may be called from any thread (it posts where it must).
    if (YWindowSystem* system = m_root.WindowSystem()) system->InvalidateRect(m_root, params.rect);
}
