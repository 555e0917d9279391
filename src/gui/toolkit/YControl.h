// YControl: a node of the GUI tree. Every visible element is one; the root is a YWindow,
// which owns the native window through the window system.
//
// A control owns its children and its layouts (children are destroyed first). Its position
// is relative to its parent; events carry window (root client) coordinates, and
// WindowRect() gives a control's rectangle in them.
//
// Threads: controls live on the GUI thread, under the window's read/write lock (YWindow):
// shared for queries and painting, exclusive for changes of the tree, sizes and layouts.
// Other threads never call a control; they post through YWindows.
//
// The virtual operations keep a fixed order of 40 slots (numbers in the comments). The roles
// of slots 0, 1, 4, 6, 15, 17, 20, 22, 23, 25, 32, 33, 34, 38 and 39 are fixed by the design;
// the others are the toolkit's assignment.
#pragma once

#include "core/YEventTarget.h"
#include "foundation/YString.h"
#include "gui/drawing/YGeometry.h"
#include "gui/toolkit/YControlTypes.h"
#include "gui/toolkit/YEvent.h"
#include "gui/toolkit/YEventParams.h"
#include "gui/toolkit/YKeyboardShortcut.h"
#include "gui/toolkit/YSystemEvent.h"

#include <cstdint>
#include <vector>

class YDrawer;
class YLayout;
class YWindow;
class YWindowSystem;
class YXMLItem;

// The style's part in event routing (its caption buttons and the like). The styles implement
// it; a control without a style hook skips the step.
class YStyleEventHook {
public:
    virtual ~YStyleEventHook() = default;
    // True when the style handled the event for the control.
    virtual bool OnStyleEvent(YControl& control, YSystemEvent& event) = 0;
};

class YControl : public YEventTarget {
public:
    // Builds control trees from GUI definitions (gui/loader/YXmlLoader.h).
    class YXmlLoader;

    static constexpr int32_t kExtensionSlots = 16;

    // Stretch query bits (slot 4).
    static constexpr uint8_t kStretchX = 1;
    static constexpr uint8_t kStretchY = 2;

    // Set-size flags (slot 32).
    static constexpr uint32_t kSizeNoRelayout = 1; // the caller relays out itself

    // Constructs the control as the last child of parent (which owns it from then on); a
    // root has no parent. Takes the window's lock exclusively while it joins the tree.
    YControl(YControl* parent, const YString& id = YString());
    YControl(const YControl&) = delete;
    YControl& operator=(const YControl&) = delete;

    // 0: leaves the parent, destroys the children, then the layouts.
    ~YControl() override;
    // 1: reads the common attributes of a GUI-definition element; subclasses read their own
    // in their override after calling this.
    virtual void Load(const YXMLItem& element);
    // 2: paints the control's own face (children paint themselves); the drawer's clip is the
    // part of the control being repainted, coordinates are window coordinates.
    virtual void Paint(YDrawer& drawer);
    // 3: the control joined a window (the root got its native window, or the control was
    // added to an attached tree).
    virtual void Attached();
    // 4: stretch query: kStretchX | kStretchY from the visible client control and the layouts.
    virtual uint8_t StretchQuery();
    // 5: the smallest size the control can take (its minimal client size, raised by what its
    // layouts need).
    virtual YSize ComputeMinimalSize();
    // 6: service by name; raises "Service \"{0}\" is not implemented." for unknown names.
    virtual void* Service(const YString& name, void* argument);
    // 7: the size the control needs now (what its layouts place, at least the minimal size).
    virtual YSize ComputeCurrentSize();
    // 8: places the children: the client rectangle goes through the layouts in creation
    // order, the client control takes the rest.
    virtual void Relayout();
    // 9: shows or hides the control.
    virtual void SetVisible(bool visible);
    // 10: enables or disables the control.
    virtual void SetEnabled(bool enabled);
    // 11, 12: the control got / lost the keyboard focus.
    virtual void FocusGained();
    virtual void FocusLost();
    // 13: a timer of the control expired (YWindowSystem::SetTimer).
    virtual void Timer();
    // 14: the control's own help text (STML).
    virtual YString HelpText();
    // 15: the help text of the control type: its usage lines, one per line.
    virtual YString HelpTextOfType();
    // 16: whether the control takes mouse events (visible and enabled).
    virtual bool IsEligible();
    // 17: shows help for a control: a control that is not the root forwards the request to its
    // root window, the root hands it to its help display.
    virtual void ShowHelp(YControl& control);
    // 18: the child under a window point, nullptr when none; the last child wins where
    // siblings overlap (it is painted last).
    virtual YControl* ChildAtPoint(YPoint windowPoint);
    // 19: the pointer entered (true) or left (false) the control.
    virtual void HoverChanged(bool hovered);
    // 20: event preview, before the event goes to child (the child under the point for mouse
    // events, the focused child for key events; may be nullptr). True stops the routing.
    virtual bool EventPreview(YSystemEvent& event, YControl* child);
    // 21: bookkeeping before the control handles an event: a button press focuses a tab-stop
    // control and captures the mouse for it.
    virtual void PrepareEvent(YSystemEvent& event);
    // 22: the control's own handling of a mouse or keyboard event; true when handled.
    virtual bool HandleEvent(YSystemEvent& event);
    // 23: close request of a top-level window; true when it may close.
    virtual bool CloseRequest();
    // 24: after the control handled an event: a left release inside a pressed control fires
    // OnClick.
    virtual void PostProcessEvent(YSystemEvent& event, bool handled);
    // 25: the control lost the mouse capture.
    virtual void CaptureLost();
    // 26: whether the control may take the keyboard focus.
    virtual bool CanTakeFocus();
    // 27: marks a rectangle (window coordinates) for repainting; the window's invalidator
    // merges it. An empty rectangle does nothing.
    virtual void Invalidate(const YRect& windowRect);
    // 28: the control is about to leave its window.
    virtual void Detached();
    // 29: files were dropped on the control (window point).
    virtual void DropFiles(const std::vector<YString>& files, YPoint windowPoint);
    // 30: collapses or expands the control.
    virtual void SetCollapsed(bool collapsed);
    // 31: maximises the control to a window rectangle, or restores it.
    virtual void SetMaximized(bool maximized, const YRect& rect);
    // 32: sets the size; relays out the children unless kSizeNoRelayout.
    virtual void SetSize(int32_t width, int32_t height, uint32_t flags = 0);
    // 33: sets the position relative to the parent.
    virtual void SetPosition(int32_t x, int32_t y);
    // 34: the native window's client area changed size (the root only).
    virtual void SetClientSizeFromWindow(int32_t width, int32_t height);
    // 35: the client rectangle the layouts fill, relative to the control.
    virtual YRect ClientRect();
    // 36: the size changed (after SetSize).
    virtual void Resized();
    // 37: the control was shown or hidden.
    virtual void VisibilityChanged(bool visible);
    // 38: reads the control's state ("collapsed", "maximized", "windowposx", "windowposy",
    // "windowsizex", "windowsizey").
    virtual void LoadState(const YXMLItem& state);
    // 39: writes the same keys.
    virtual void SaveState(YXMLItem& state);

    // Routing of one event through this control and its subtree; true when handled.
    bool RouteEvent(YSystemEvent& event);

    // Tree.
    const YString& Id() const noexcept { return m_id; }
    void SetId(const YString& id) { m_id = id; }
    YControl* Parent() const noexcept { return m_parent; }
    YWindow* Window() const noexcept { return m_window; }
    YWindowSystem* WindowSystem() const noexcept;
    int32_t ChildCount() const noexcept { return static_cast<int32_t>(m_children.size()); }
    YControl* Child(int32_t index) const;
    const std::vector<YControl*>& Children() const noexcept { return m_children; }
    // Destroys a child (and its subtree).
    void DeleteChild(YControl* child);
    // The first control of the subtree (this one included) with the id, or nullptr.
    YControl* FindById(const YString& id);
    // The deepest visible control under a window point (this one when no child is there).
    YControl* DeepestAt(YPoint windowPoint);

    // Layouts (owned; a layout registers itself here when created).
    int32_t LayoutCount() const noexcept { return static_cast<int32_t>(m_layouts.size()); }
    YLayout* Layout(int32_t index) const;
    void AddLayout(YLayout* layout);
    YControl* ClientControl() const noexcept { return m_clientControl; }
    void SetClientControl(YControl* control) noexcept { m_clientControl = control; }
    YLayout* OwningLayout() const noexcept { return m_owningLayout; }
    void SetOwningLayout(YLayout* layout) noexcept { m_owningLayout = layout; }

    // Geometry.
    YPoint Position() const noexcept { return m_position; }
    YSize Size() const noexcept { return m_size; }
    // The size in effect: the collapsed size while collapsed and non-zero.
    YSize EffectiveSize() const noexcept;
    YSize MinimalClientSize() const noexcept { return m_minimalClientSize; }
    void SetMinimalClientSize(YSize size) noexcept { m_minimalClientSize = size; }
    YSize CollapsedSize() const noexcept { return m_collapsedSize; }
    void SetCollapsedSize(YSize size) noexcept { m_collapsedSize = size; }
    // Top-left corner in window coordinates.
    YPoint WindowOrigin() const noexcept;
    YRect WindowRect() const noexcept;
    // A window point relative to this control.
    YPoint ToLocal(YPoint windowPoint) const noexcept;

    // Layout data the parent's layouts read.
    int32_t layoutRatioX = 0;
    int32_t layoutRatioY = 0;
    int32_t layoutBorderX = 0;
    int32_t layoutBorderY = 0;
    uint32_t layoutPlacement = YAlignment::kCenter;
    int32_t layoutExtraSpace = 0;

    // Kind, look and help.
    YControlType Type() const noexcept { return m_type; }
    void SetType(YControlType type) noexcept { m_type = type; }
    int32_t Font() const noexcept { return m_font; }
    void SetFont(int32_t font) noexcept { m_font = font; }
    const YString& Caption() const noexcept { return m_caption; }
    void SetCaption(const YString& caption);
    YCaptionType CaptionType() const noexcept { return m_captionType; }
    void SetCaptionType(YCaptionType type) noexcept { m_captionType = type; }
    const YString& Help() const noexcept { return m_help; }
    void SetHelp(const YString& help) { m_help = help; }
    YStyleEventHook* StyleHook() const noexcept { return m_styleHook; }
    void SetStyleHook(YStyleEventHook* hook) noexcept { m_styleHook = hook; }

    // Flags.
    uint32_t Flags() const noexcept { return m_flags; }
    bool HasFlag(uint32_t flag) const noexcept { return (m_flags & flag) != 0; }
    void SetFlag(uint32_t flag, bool on) noexcept { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }
    bool IsVisible() const noexcept { return HasFlag(YControlFlag::kVisible); }
    bool IsEnabled() const noexcept { return HasFlag(YControlFlag::kEnabled); }
    // The "up" events the control handles itself (YControlUpEvents bits).
    uint32_t UpEvents() const noexcept { return m_upEvents; }
    void SetUpEvents(uint32_t upEvents) noexcept { m_upEvents = upEvents; }

    // Extension table: 16 slots of (tag, pointer). Lookup starts at slot tag mod 16 and probes
    // linearly with wrap-around over one full round. The pointers are not owned.
    void* Extension(uint32_t tag) const noexcept;
    // Stores or replaces the pointer of a tag (nullptr removes it); raises "The extension
    // table is full." when no slot is free for a new tag.
    void SetExtension(uint32_t tag, void* pointer);
    // The slot holding tag, -1 when absent (for checks).
    int32_t ExtensionSlot(uint32_t tag) const noexcept;

    // Focus, capture and hover, as seen from this control down.
    YControl* FocusedChild() const noexcept { return m_focusedChild; }
    // The child on the way to the control that holds the mouse capture, if it is below.
    YControl* CapturedChildOnPath() const noexcept;
    YControl* HoveredChild() const noexcept { return m_hoveredChild; }
    // Whether the pointer is over the control.
    bool IsHovered() const noexcept { return m_hovered; }
    // Gives this control the keyboard focus (the chain of focused children up to the root).
    void SetFocus();
    bool HasFocus() const noexcept;
    // Captures the mouse for this control, or releases it.
    void SetCapture(bool capture);
    bool HasCapture() const noexcept;
    // The last event point the control took, relative to itself.
    YPoint LastPoint() const noexcept { return m_lastPoint; }

    // Repainting: marks the control and asks for its whole rectangle.
    void Repaint();
    bool NeedsRepaint() const noexcept { return HasFlag(YControlFlag::kNeedsRepaint); }
    // Marks the subtree for painting (a new window bitmap).
    void MarkTreeForRepaint() noexcept;

    // Events.
    YEvent<YOnClickParams> OnClick;
    YEvent<YOnKeyParams> OnKey;
    YOnKeyboardShortcut OnKeyboardShortcut;
    YEvent<YOnNotifyParams> OnNotify;

protected:
    // Called by the window when it takes this control as its root.
    void SetWindowRecursive(YWindow* window) noexcept;
    // The control handles an event itself: prepare, handler, post-process; the "up" codes only
    // when asked for.
    bool HandleItself(YSystemEvent& event);

private:
    friend class YWindow;

    void RemoveChildLinks(YControl* child) noexcept;
    void ClearHover() noexcept;
    void UpdateHover(YControl* child);

    YString m_id;
    YControl* m_parent = nullptr;
    YWindow* m_window = nullptr;
    std::vector<YControl*> m_children;
    std::vector<YLayout*> m_layouts;
    YControl* m_clientControl = nullptr;
    YLayout* m_owningLayout = nullptr;

    YPoint m_position;
    YSize m_size;
    YSize m_minimalClientSize;
    YSize m_collapsedSize;

    YControlType m_type = YControlType::kControl;
    int32_t m_font = 0;
    YString m_caption;
    YCaptionType m_captionType = YCaptionType::kNormal;
    YString m_help;
    YStyleEventHook* m_styleHook = nullptr;

    uint32_t m_flags = YControlFlag::kDefault;
    uint32_t m_upEvents = 0;

    struct ExtensionSlot_ {
        uint32_t tag = 0;
        void* pointer = nullptr;
    };
    ExtensionSlot_ m_extensions[kExtensionSlots];

    YControl* m_focusedChild = nullptr;
    YControl* m_hoveredChild = nullptr;
    bool m_hovered = false;
    bool m_pressed = false; // a left press began on this control
    YPoint m_lastPoint;
};
