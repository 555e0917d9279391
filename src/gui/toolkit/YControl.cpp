#include "gui/toolkit/YControl.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "gui/toolkit/YLayout.h"
#include "gui/toolkit/YStyle.h"
#include "gui/toolkit/YWindow.h"
#include "gui/toolkit/YWindowSystem.h"
#include "gui/toolkit/YWindows.h"
#include "platform/YERWLock.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// Holds the window's lock exclusively while the tree changes (nothing when there is no
// window yet).
class TreeChange {
public:
    explicit TreeChange(YWindow* window) {
        if (window != nullptr) m_hold.emplace(window->Lock(), YSynchronizationObject::kExclusive);
    }

private:
    std::optional<YScopedERWLock> m_hold;
};

int32_t ReadInt(const YString& text) { return YLayout::ReadNumber(text); }

struct FlagAttribute {
    const char* name;
    uint32_t flag;
};

} // namespace

YControl::YControl(YControl* parent, const YString& id) : m_id(id), m_parent(parent) {
    if (parent != nullptr) {
        TreeChange change(parent->m_window);
        parent->m_children.push_back(this);
        m_window = parent->m_window;
    }
}

YControl::~YControl() {
    TreeChange change(m_window);
    if (m_owningLayout != nullptr) m_owningLayout->RemoveControl(*this);
    if (m_window != nullptr) {
        if (YWindowSystem* system = m_window->System()) {
            // Nothing may reach the control after it is gone: its timer and queued work.
            YGuard("YControl::~YControl", [&] { system->SetTimer(*this, 0); });
            if (YWindows* windows = system->Windows()) windows->CancelPosted(this);
        }
    }
    if (m_parent != nullptr) m_parent->RemoveChildLinks(this);
    // Children first (each leaves m_children itself), then the layouts.
    while (!m_children.empty()) delete m_children.back();
    while (!m_layouts.empty()) {
        YLayout* layout = m_layouts.back();
        m_layouts.pop_back();
        delete layout;
    }
}

void YControl::RemoveChildLinks(YControl* child) noexcept {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it != m_children.end()) m_children.erase(it);
    if (m_focusedChild == child) m_focusedChild = nullptr;
    if (m_hoveredChild == child) m_hoveredChild = nullptr;
    if (m_clientControl == child) m_clientControl = nullptr;
    if (m_window != nullptr && m_window->m_captured != nullptr) {
        // A capture anywhere in the leaving subtree ends with it.
        for (YControl* c = m_window->m_captured; c != nullptr; c = c->m_parent) {
            if (c == child) {
                m_window->m_captured = nullptr;
                break;
            }
        }
    }
}

void YControl::SetWindowRecursive(YWindow* window) noexcept {
    m_window = window;
    for (YControl* child : m_children) child->SetWindowRecursive(window);
}

YWindowSystem* YControl::WindowSystem() const noexcept {
    return m_window != nullptr ? m_window->System() : nullptr;
}

YControl* YControl::Child(int32_t index) const {
    if (index < 0 || index >= ChildCount()) YRaiseIndexOutOfRange();
    return m_children[static_cast<size_t>(index)];
}

void YControl::DeleteChild(YControl* child) {
    if (child == nullptr || child->m_parent != this) YRaiseIndexOutOfRange();
    delete child;
}

YControl* YControl::FindById(const YString& id) {
    if (m_id == id) return this;
    for (YControl* child : m_children) {
        if (YControl* found = child->FindById(id)) return found;
    }
    return nullptr;
}

YControl* YControl::DeepestAt(YPoint windowPoint) {
    YControl* control = this;
    while (YControl* child = control->ChildAtPoint(windowPoint)) control = child;
    return control;
}

YLayout* YControl::Layout(int32_t index) const {
    if (index < 0 || index >= LayoutCount()) YRaiseIndexOutOfRange();
    return m_layouts[static_cast<size_t>(index)];
}

void YControl::AddLayout(YLayout* layout) {
    TreeChange change(m_window);
    m_layouts.push_back(layout);
}

// ---- geometry ----

YSize YControl::EffectiveSize() const noexcept {
    if (HasFlag(YControlFlag::kCollapsed) && (m_collapsedSize.x != 0 || m_collapsedSize.y != 0)) {
        return m_collapsedSize;
    }
    return m_size;
}

YPoint YControl::WindowOrigin() const noexcept {
    YPoint origin;
    // The root's position is where its window is, not part of window coordinates.
    for (const YControl* c = this; c->m_parent != nullptr; c = c->m_parent) {
        origin.x += c->m_position.x;
        origin.y += c->m_position.y;
    }
    return origin;
}

YRect YControl::WindowRect() const noexcept {
    const YPoint origin = WindowOrigin();
    const YSize size = EffectiveSize();
    return YRect::FromSize(origin.x, origin.y, size.x, size.y);
}

YPoint YControl::ToLocal(YPoint windowPoint) const noexcept {
    const YPoint origin = WindowOrigin();
    return {windowPoint.x - origin.x, windowPoint.y - origin.y};
}

void YControl::SetCaption(const YString& caption) {
    m_caption = caption;
    Repaint();
}

// ---- extension table ----

int32_t YControl::ExtensionSlot(uint32_t tag) const noexcept {
    const uint32_t start = tag % kExtensionSlots;
    for (uint32_t i = 0; i < kExtensionSlots; ++i) {
        const uint32_t slot = (start + i) % kExtensionSlots;
        if (m_extensions[slot].pointer != nullptr && m_extensions[slot].tag == tag) {
            return static_cast<int32_t>(slot);
        }
    }
    return -1;
}

void* YControl::Extension(uint32_t tag) const noexcept {
    const int32_t slot = ExtensionSlot(tag);
    return slot < 0 ? nullptr : m_extensions[slot].pointer;
}

void YControl::SetExtension(uint32_t tag, void* pointer) {
    const int32_t existing = ExtensionSlot(tag);
    if (existing >= 0) {
        m_extensions[existing].pointer = pointer; // nullptr frees the slot
        return;
    }
    if (pointer == nullptr) return;
    const uint32_t start = tag % kExtensionSlots;
    for (uint32_t i = 0; i < kExtensionSlots; ++i) {
        const uint32_t slot = (start + i) % kExtensionSlots;
        if (m_extensions[slot].pointer == nullptr) {
            m_extensions[slot].tag = tag;
            m_extensions[slot].pointer = pointer;
            return;
        }
    }
    YRaise("The extension table is full.");
}

// ---- focus, capture, hover ----

bool YControl::HasFocus() const noexcept {
    if (m_window == nullptr) return false;
    const YControl* c = m_window;
    while (c->m_focusedChild != nullptr) c = c->m_focusedChild;
    return c == this;
}

void YControl::SetFocus() {
    if (m_window == nullptr) return;
    YControl* old = m_window;
    while (old->m_focusedChild != nullptr) old = old->m_focusedChild;
    if (old == this) return;
    // The new chain from the root down to this control; below it nothing is focused.
    m_focusedChild = nullptr;
    for (YControl* c = this; c->m_parent != nullptr; c = c->m_parent) c->m_parent->m_focusedChild = c;
    if (old != m_window) old->FocusLost();
    FocusGained();
}

bool YControl::HasCapture() const noexcept { return m_window != nullptr && m_window->m_captured == this; }

void YControl::SetCapture(bool capture) {
    if (m_window == nullptr) return;
    YControl* const before = m_window->m_captured;
    if (capture) {
        if (before == this) return;
        m_window->m_captured = this;
        if (before == nullptr) {
            if (YWindowSystem* system = m_window->System()) system->SetCapture(*m_window, true);
        } else {
            before->CaptureLost();
        }
    } else if (before == this) {
        m_window->m_captured = nullptr;
        if (YWindowSystem* system = m_window->System()) system->SetCapture(*m_window, false);
    }
}

YControl* YControl::CapturedChildOnPath() const noexcept {
    if (m_window == nullptr) return nullptr;
    for (YControl* c = m_window->m_captured; c != nullptr; c = c->m_parent) {
        if (c->m_parent == this) return c;
    }
    return nullptr;
}

void YControl::ClearHover() noexcept {
    if (m_hoveredChild != nullptr) {
        m_hoveredChild->ClearHover();
        m_hoveredChild = nullptr;
    }
    if (m_hovered) {
        m_hovered = false;
        HoverChanged(false);
    }
}

void YControl::UpdateHover(YControl* child) {
    if (child == m_hoveredChild) return;
    if (m_hoveredChild != nullptr) m_hoveredChild->ClearHover();
    m_hoveredChild = child;
    if (child != nullptr && !child->m_hovered) {
        child->m_hovered = true;
        child->HoverChanged(true);
    }
}

// ---- routing ----

bool YControl::RouteEvent(YSystemEvent& event) {
    const int32_t code = event.code;
    const bool mouse = YEventCode::IsMouse(code);
    const bool keyboard = YEventCode::IsKeyboard(code);

    // 1. The child under the point (none once the pointer left the window); moving, pressing
    // and the wheel update the hovered child first.
    YControl* target = nullptr;
    if (mouse) {
        if (code != YEventCode::kMouseLeave) target = ChildAtPoint(event.point);
        if (code <= YEventCode::kMouseMove) UpdateHover(target);
    } else if (keyboard) {
        target = m_focusedChild;
    }

    // 2. The style's own parts (caption buttons and the like): the control's own hook, else
    // the hook of the style that paints it.
    YStyleEventHook* hook = m_styleHook;
    if (hook == nullptr) {
        if (YStyle* style = YStyleOf(*this)) hook = style->EventHook();
    }
    if (hook != nullptr && hook->OnStyleEvent(*this, event)) return true;
    // 3. Preview.
    if (EventPreview(event, target)) return true;

    bool handled = false;
    if (mouse) {
        // 4. A captured control below gets everything; otherwise the eligible child under the
        // point, then this control.
        if (YControl* captured = CapturedChildOnPath()) {
            handled = captured->RouteEvent(event);
        } else if (HasCapture()) {
            m_lastPoint = ToLocal(event.point);
            handled = HandleItself(event);
        } else {
            if (target != nullptr && target->IsEligible()) handled = target->RouteEvent(event);
            if (!handled) {
                m_lastPoint = ToLocal(event.point);
                handled = HandleItself(event);
            }
        }
    } else if (keyboard) {
        // 5. The focused child first, then this control.
        if (target != nullptr) handled = target->RouteEvent(event);
        if (!handled) handled = HandleItself(event);
    } else {
        handled = HandleItself(event);
    }

    // 6. Key event and shortcuts, where nothing below took the key.
    if (!handled && code == YEventCode::kKeyDown) {
        YOnKeyParams params{this, &event};
        handled = OnKey.Fire(params);
    } else if (!handled && code == YEventCode::kKeyUp) {
        handled = OnKeyboardShortcut.Check(this, event.keyCode, event.flags);
    }
    return handled;
}

bool YControl::HandleItself(YSystemEvent& event) {
    if (YEventCode::IsUp(event.code)) {
        const uint32_t wanted = 1u << (event.code - YEventCode::kLeftUp);
        if ((m_upEvents & wanted) == 0) return false;
    }
    PrepareEvent(event);
    const bool handled = HandleEvent(event);
    PostProcessEvent(event, handled);
    return handled;
}

// ---- virtual operations: defaults ----

void YControl::Load(const YXMLItem& element) {
    // The attributes in the definition format's order, so that an error leaves the ones
    // before it read and the ones after it not.
    const auto number = [&](const char* name, auto&& apply) {
        if (const YString* v = element.FindAttribute(YString::Literal(name))) apply(ReadInt(*v));
    };
    const auto flags = [&](std::initializer_list<FlagAttribute> list) {
        for (const FlagAttribute& f : list) number(f.name, [&](int32_t n) { SetFlag(f.flag, n != 0); });
    };
    if (const YString* v = element.FindAttribute("id")) m_id = *v;
    flags({{"visible", YControlFlag::kVisible}, {"enabled", YControlFlag::kEnabled}, {"tabstop", YControlFlag::kTabStop}});
    bool restyle = false;
    if (const YString* v = element.FindAttribute("controltype")) {
        m_type = YEnumParse<YControlType>(*v);
        restyle = true;
    }
    if (const YString* v = element.FindAttribute("font")) {
        m_font = static_cast<int32_t>(YEnumParse<YStdFont>(*v));
        restyle = true;
    }
    number("posx", [&](int32_t n) { m_position.x = n; });
    number("posy", [&](int32_t n) { m_position.y = n; });
    number("sizex", [&](int32_t n) { m_size.x = n; });
    number("sizey", [&](int32_t n) { m_size.y = n; });
    number("minclientsizex", [&](int32_t n) { m_minimalClientSize.x = n; });
    number("minclientsizey", [&](int32_t n) { m_minimalClientSize.y = n; });
    flags({{"autodetectminimalsize", YControlFlag::kAutoDetectMinimalSize},
           {"overlaycontrol", YControlFlag::kOverlayControl},
           {"adaptsize", YControlFlag::kAdaptSize},
           {"plastic", YControlFlag::kPlastic},
           {"plasticadaptsize", YControlFlag::kPlasticAdaptSize},
           {"collapsable", YControlFlag::kCollapsable}});
    number("collapsed", [&](int32_t n) { SetCollapsed(n != 0); });
    number("layoutratiox", [&](int32_t n) { layoutRatioX = n; });
    number("layoutratioy", [&](int32_t n) { layoutRatioY = n; });
    number("layoutborderx", [&](int32_t n) { layoutBorderX = n; });
    number("layoutbordery", [&](int32_t n) { layoutBorderY = n; });
    number("clientlayout", [&](int32_t n) {
        if (n != 0 && m_parent != nullptr) m_parent->SetClientControl(this);
    });
    if (const YString* v = element.FindAttribute("layoutplacement")) layoutPlacement = YAlignmentParse(*v);
    flags({{"layoutsaveratio", YControlFlag::kLayoutSaveRatio}});
    if (const YString* v = element.FindAttribute("caption")) m_caption = *v;
    if (const YString* v = element.FindAttribute("captiontype")) m_captionType = YEnumParse<YCaptionType>(*v);
    flags({{"showhelp", YControlFlag::kShowHelp}});
    if (const YString* v = element.FindAttribute("help")) m_help = *v;
    flags({{"useparenthelp", YControlFlag::kUseParentHelp},
           {"closeonescape", YControlFlag::kCloseOnEscape},
           {"movetoscreencenter", YControlFlag::kMoveToScreenCenter},
           {"autosavestate", YControlFlag::kAutoSaveState},
           {"savewindowpos", YControlFlag::kSaveWindowPos},
           {"savewindowsize", YControlFlag::kSaveWindowSize},
           {"enablesavestate", YControlFlag::kEnableSaveState},
           {"savesubcontrolstate", YControlFlag::kSaveSubControlState}});
    // A new type or font changes what the style makes of the control.
    if (restyle) {
        if (YStyle* style = YStyleOf(*this)) style->Apply(*this);
    }
}

void YControl::Paint(YDrawer&) {}

void YControl::Attached() {
    for (YControl* child : m_children) child->Attached();
}

uint8_t YControl::StretchQuery() {
    uint8_t flags = 0;
    if (m_clientControl != nullptr && m_clientControl->IsVisible()) flags |= m_clientControl->StretchQuery();
    for (YLayout* layout : m_layouts) {
        if (flags == (kStretchX | kStretchY)) break;
        flags |= layout->StretchQuery();
    }
    return flags;
}

YSize YControl::ComputeMinimalSize() {
    YSize size = m_minimalClientSize;
    YRect margins{0, 0, 0, 0}; // what the layouts take off each edge (YLayout)
    for (YLayout* layout : m_layouts) layout->ComputeMinimalSize(size, margins);
    if (m_clientControl != nullptr && m_clientControl->IsVisible()) {
        YLayout::NeedInside(m_clientControl->ComputeMinimalSize(), size, margins);
    }
    return size;
}

void* YControl::Service(const YString& name, void*) { YRaiseNotImplemented(name); }

YSize YControl::ComputeCurrentSize() {
    YSize size = ComputeMinimalSize();
    YRect margins{0, 0, 0, 0};
    for (YLayout* layout : m_layouts) layout->ComputeCurrentSize(size, margins);
    return size;
}

void YControl::Relayout() {
    TreeChange change(m_window);
    YRect rest = ClientRect();
    for (YLayout* layout : m_layouts) rest = layout->Arrange(rest);
    if (m_clientControl != nullptr && m_clientControl->IsVisible()) {
        m_clientControl->SetPosition(rest.left, rest.top);
        m_clientControl->SetSize(rest.Width(), rest.Height());
    }
}

void YControl::SetVisible(bool visible) {
    if (IsVisible() == visible) return;
    const YRect before = WindowRect();
    SetFlag(YControlFlag::kVisible, visible);
    if (!visible && m_parent != nullptr) {
        if (m_parent->m_hoveredChild == this) {
            ClearHover();
            m_parent->m_hoveredChild = nullptr;
        }
    }
    VisibilityChanged(visible);
    if (m_parent != nullptr) m_parent->Invalidate(before);
}

void YControl::SetEnabled(bool enabled) {
    if (IsEnabled() == enabled) return;
    SetFlag(YControlFlag::kEnabled, enabled);
    Repaint();
}

void YControl::FocusGained() { Repaint(); }
void YControl::FocusLost() { Repaint(); }
void YControl::Timer() {}
YString YControl::HelpText() {
    if (m_help.IsEmpty() && HasFlag(YControlFlag::kUseParentHelp) && m_parent != nullptr) return m_parent->HelpText();
    return m_help;
}
YString YControl::HelpTextOfType() { return YString(); }
bool YControl::IsEligible() { return IsVisible() && IsEnabled(); }

void YControl::ShowHelp(YControl& control) {
    if (m_window != nullptr && m_window != this) m_window->ShowHelp(control);
}

YControl* YControl::ChildAtPoint(YPoint windowPoint) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        YControl* child = *it;
        if (child->IsVisible() && child->WindowRect().Contains(windowPoint)) return child;
    }
    return nullptr;
}

void YControl::HoverChanged(bool) {}
bool YControl::EventPreview(YSystemEvent&, YControl*) { return false; }

void YControl::PrepareEvent(YSystemEvent& event) {
    if (YEventCode::IsDown(event.code) && CanTakeFocus()) SetFocus();
}

bool YControl::HandleEvent(YSystemEvent&) { return false; }
bool YControl::CloseRequest() { return true; }

void YControl::PostProcessEvent(YSystemEvent& event, bool handled) {
    if (!handled) return;
    if (YEventCode::IsDown(event.code)) {
        // The control that took the press gets the rest of the drag.
        SetCapture(true);
        if (event.code == YEventCode::kLeftDown) m_pressed = true;
    } else if (event.code == YEventCode::kLeftUp) {
        if (m_pressed && WindowRect().Contains(event.point)) {
            YOnClickParams params{this, ToLocal(event.point), event.flags};
            OnClick.Fire(params);
        }
        m_pressed = false;
    }
}

void YControl::CaptureLost() { m_pressed = false; }
bool YControl::CanTakeFocus() { return HasFlag(YControlFlag::kTabStop) && IsEligible(); }

void YControl::Invalidate(const YRect& windowRect) {
    if (windowRect.IsEmpty()) return;
    if (m_window != nullptr && m_window != this) m_window->Invalidate(windowRect);
}

void YControl::Detached() {
    for (YControl* child : m_children) child->Detached();
}

void YControl::DropFiles(const std::vector<YString>&, YPoint) {}

void YControl::SetCollapsed(bool collapsed) {
    if (HasFlag(YControlFlag::kCollapsed) == collapsed) return;
    const YRect before = WindowRect();
    SetFlag(YControlFlag::kCollapsed, collapsed);
    Invalidate(before.Union(WindowRect()));
}

void YControl::SetMaximized(bool maximized, const YRect& rect) {
    SetFlag(YControlFlag::kMaximized, maximized);
    if (maximized) SetSize(rect.Width(), rect.Height());
}

void YControl::SetSize(int32_t width, int32_t height, uint32_t flags) {
    TreeChange change(m_window);
    const YSize size{std::max(width, 0), std::max(height, 0)};
    // The same size changes nothing: no relayout, no repaint.
    if (size == m_size) return;
    const YRect before = WindowRect();
    m_size = size;
    if ((flags & kSizeNoRelayout) == 0) Relayout();
    Resized();
    SetFlag(YControlFlag::kNeedsRepaint, true);
    Invalidate(before.Union(WindowRect()));
}

void YControl::SetPosition(int32_t x, int32_t y) {
    TreeChange change(m_window);
    if (m_position.x == x && m_position.y == y) return;
    const YRect before = WindowRect();
    m_position = {x, y};
    SetFlag(YControlFlag::kNeedsRepaint, true);
    Invalidate(before.Union(WindowRect()));
}

void YControl::SetClientSizeFromWindow(int32_t width, int32_t height) { SetSize(width, height); }

YRect YControl::ClientRect() {
    const YSize size = EffectiveSize();
    return YRect::FromSize(0, 0, size.x, size.y);
}

void YControl::Resized() {}
void YControl::VisibilityChanged(bool) {}

void YControl::LoadState(const YXMLItem& state) {
    if (const YString* v = state.FindAttribute("collapsed")) SetCollapsed(ReadInt(*v) != 0);
    if (const YString* v = state.FindAttribute("maximized")) SetFlag(YControlFlag::kMaximized, ReadInt(*v) != 0);
    const YString* px = state.FindAttribute("windowposx");
    const YString* py = state.FindAttribute("windowposy");
    if (px != nullptr && py != nullptr && HasFlag(YControlFlag::kSaveWindowPos)) SetPosition(ReadInt(*px), ReadInt(*py));
    const YString* sx = state.FindAttribute("windowsizex");
    const YString* sy = state.FindAttribute("windowsizey");
    if (sx != nullptr && sy != nullptr && HasFlag(YControlFlag::kSaveWindowSize)) SetSize(ReadInt(*sx), ReadInt(*sy));
}

void YControl::SaveState(YXMLItem& state) {
    state.SetAttribute("collapsed", YString::FromInteger(HasFlag(YControlFlag::kCollapsed) ? 1 : 0));
    state.SetAttribute("maximized", YString::FromInteger(HasFlag(YControlFlag::kMaximized) ? 1 : 0));
    if (HasFlag(YControlFlag::kSaveWindowPos)) {
        state.SetAttribute("windowposx", YString::FromInteger(m_position.x));
        state.SetAttribute("windowposy", YString::FromInteger(m_position.y));
    }
    if (HasFlag(YControlFlag::kSaveWindowSize)) {
        state.SetAttribute("windowsizex", YString::FromInteger(m_size.x));
        state.SetAttribute("windowsizey", YString::FromInteger(m_size.y));
    }
}

// ---- repainting ----

void YControl::Repaint() {
    SetFlag(YControlFlag::kNeedsRepaint, true);
    Invalidate(WindowRect());
}

void YControl::MarkTreeForRepaint() noexcept {
    SetFlag(YControlFlag::kNeedsRepaint, true);
    for (YControl* child : m_children) child->MarkTreeForRepaint();
}
