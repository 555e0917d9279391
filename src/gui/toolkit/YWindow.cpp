#include "gui/toolkit/YWindow.h"

#include "gui/toolkit/YWindowDescriptor.h"
#include "gui/toolkit/YWindowSystem.h"
#include "gui/toolkit/YWindows.h"

#include <algorithm>
#include <vector>

YWindow::YWindow(YWindowSystem* windowSystem, const YString& id)
    : YContainer(nullptr, id), m_windowSystem(windowSystem), m_invalidator(*this) {
    SetType(YControlType::kWindow);
    SetWindowRecursive(this);
    if (m_windowSystem != nullptr) {
        if (YWindows* windows = m_windowSystem->Windows()) windows->InvalidatorThread().Register(m_invalidator);
    }
}

YWindow::~YWindow() {
    YGuard("YWindow::~YWindow", [&] {
        if (m_windowSystem != nullptr) {
            if (YWindows* windows = m_windowSystem->Windows()) {
                // No pass may run on the invalidator from here on, nor queued work on us.
                windows->InvalidatorThread().Unregister(m_invalidator);
                windows->CancelPosted(this);
            }
            if (m_windowSystem->HasWindow(*this)) m_windowSystem->DestroyNativeWindow(*this);
        }
    });
    {
        YScopedERWLock hold(m_lock, YSynchronizationObject::kExclusive);
        m_captured = nullptr;
        while (ChildCount() > 0) delete Child(ChildCount() - 1);
    }
    // The base destructor runs after the lock is gone: it must not take it.
    SetWindowRecursive(nullptr);
}

YWindowDescriptor* YWindow::Descriptor() const noexcept {
    return static_cast<YWindowDescriptor*>(Extension(YWindowSystem::kDescriptorTag));
}

void YWindow::ShowHelp(YControl& control) {
    if (m_helpDisplay != nullptr) m_helpDisplay->ShowHelp(control);
}

void YWindow::SetClientSizeFromWindow(int32_t width, int32_t height) {
    YScopedERWLock hold(m_lock, YSynchronizationObject::kExclusive);
    SetSize(width, height);
}

void YWindow::Invalidate(const YRect& windowRect) {
    if (windowRect.IsEmpty()) return;
    m_invalidator.Invalidate(windowRect);
}

bool YWindow::Dispatch(YSystemEvent event) {
    return YGuard("YWindow::Dispatch", false, [&] {
        YScopedERWLock hold(m_lock, YSynchronizationObject::kExclusive);
        return DispatchLocked(event);
    });
}

bool YWindow::DispatchLocked(YSystemEvent& event) {
    const int32_t code = event.code;
    bool handled = RouteEvent(event);
    if (!handled && YEventCode::IsDoubleClick(code)) {
        // Nobody takes the double-click: it comes again as a second press.
        YSystemEvent down = event;
        down.code = YEventCode::DownOfDoubleClick(code);
        down.flags |= YEventFlag::kDouble;
        handled = RouteEvent(down);
    }
    // The capture ends with the last button released, whoever handled the release.
    if (YEventCode::IsUp(code) && (event.flags & YEventFlag::kButtons) == 0 && m_captured != nullptr) {
        m_captured->SetCapture(false);
    }
    if (!handled) {
        YOnGlobalEventParams params{this, &event};
        handled = GlobalHandlers.FireUntilHandled(params);
    }
    if (!handled && code == YEventCode::kKeyDown && event.keyCode == YKey::kTab &&
        (event.flags & (YEventFlag::kCtrl | YEventFlag::kAlt)) == 0) {
        // Tab order is the tree order of the controls that take the focus.
        YControl* focused = this;
        while (focused->FocusedChild() != nullptr) focused = focused->FocusedChild();
        if (YControl* next = NextTabStop(focused, (event.flags & YEventFlag::kShift) != 0)) {
            next->SetFocus();
            handled = true;
        }
    }
    if (!handled && code == YEventCode::kKeyDown && event.keyCode == YKey::kF1 &&
        HasFlag(YControlFlag::kShowHelp)) {
        // Help of the control under the pointer, wherever the focus is.
        const YPoint pointer = m_windowSystem != nullptr ? m_windowSystem->GetCursorPosInClient(*this) : event.point;
        YControl* deepest = DeepestAt(pointer);
        deepest->ShowHelp(*deepest);
        handled = true;
    }
    return handled;
}

YControl* YWindow::NextTabStop(YControl* from, bool backwards) {
    // Depth first over visible, enabled subtrees, without recursion.
    std::vector<YControl*> order;
    std::vector<YControl*> stack{this};
    while (!stack.empty()) {
        YControl* c = stack.back();
        stack.pop_back();
        if (c != this && c->CanTakeFocus()) order.push_back(c);
        const std::vector<YControl*>& children = c->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if ((*it)->IsVisible() && (*it)->IsEnabled()) stack.push_back(*it);
        }
    }
    if (order.empty()) return nullptr;
    auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end()) return backwards ? order.back() : order.front();
    const size_t i = static_cast<size_t>(at - order.begin());
    const size_t n = order.size();
    return order[backwards ? (i + n - 1) % n : (i + 1) % n];
}

YRect YWindow::PaintWindow(const YRect& updateRect) {
    return YGuard("YWindow::PaintWindow", YRect::Empty(), [&] {
        if (updateRect.IsEmpty()) return YRect::Empty();
        YWindowDescriptor* descriptor = Descriptor();
        if (descriptor == nullptr) return YRect::Empty();
        YScopedERWLock hold(m_lock, YSynchronizationObject::kShared);
        const YSize size = EffectiveSize();
        const YRect whole = YRect::FromSize(0, 0, size.x, size.y);
        bool all = false;
        if (descriptor->BitmapSize() != size) {
            descriptor->RecreateBitmap(size);
            ++m_bitmapsCreated;
            MarkTreeForRepaint();
            all = true;
        }
        const YRect area = all ? whole : updateRect.Intersect(whole);
        if (area.IsEmpty()) return YRect::Empty();
        PaintTree(*this, *descriptor, area, all);
        descriptor->SetClipRect(whole);
        descriptor->UpdateBitmap(area);
        ++m_paintPasses;
        return area;
    });
}

void YWindow::PaintTree(YControl& control, YDrawer& drawer, const YRect& area, bool all) {
    if (!control.IsVisible()) return;
    const YRect rect = control.WindowRect().Intersect(area);
    if (rect.IsEmpty() && !all) return;
    if (!rect.IsEmpty()) {
        drawer.SetClipRect(rect);
        control.Paint(drawer);
    }
    control.SetFlag(YControlFlag::kNeedsRepaint, false);
    // Children are cut to their parent.
    for (YControl* child : control.Children()) PaintTree(*child, drawer, rect, all);
}
