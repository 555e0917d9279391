// YStyle: how controls look and how large they want to be.
//
// Controls never paint with fixed colours: they tell the style their control type, their
// state (YControlState bits) and their content, and the style paints through the drawer. The
// style also answers the layouts' metric questions (YStyleMetric), maps the standard
// enumerations (fonts, icons, bitmaps, cursors, colours) to real resources and computes the
// sizes of plastic controls. A window uses its own style when it has one (YWindow::SetStyle),
// else the process-wide default (YStyle::Default()).
//
// The standard enumerations below are numbered from 0 in the order of their names; the names
// are what GUI and style definitions write. Parsing ignores ASCII case and raises
// "Invalid <type> identifier to parse ({0})." for an unknown name.
//
// The virtual operations keep a fixed slot order (numbers in the comments). Slots 0, 1, 4, 13,
// 14, 17, 18 and 30 have roles fixed by the design; the others are the toolkit's assignment.
// All painting takes window coordinates and draws only inside the given rectangle.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YColor.h"
#include "gui/drawing/YGeometry.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YControlTypes.h"
#include "gui/toolkit/YWindowSystem.h"

#include <cstdint>

class YBaseBitmap;
class YDrawer;
class YFont;
struct YSystemEvent;

// ---- standard enumerations ----

enum class YModalValue : int32_t { kOk, kCancel, kYes, kNo };
enum class YCheckBoxState : int32_t { kOff, kOn, kGrayed };
enum class YStdBitmap : int32_t { kNotice, kQuestion, kExclamation };
enum class YStdCursor : int32_t {
    kArrow, kWait, kCross, kIBeam, kLink, kNo, kPen, kEraser, kSelection, kMove, kSize, kArrowUD, kArrowLR,
    kHollow,
};
enum class YStdFont : int32_t { kNormal, kBold, kItalic, kSmall, kLarge1, kLarge2, kLarge3, kLarge4 };
enum class YStdColor : int32_t { kControlName, kText, kShape, kHighlight, kLight, kDark, kRed, kGreen, kBlue };
enum class YStdIcon : int32_t {
    kLeft, kRight, kUp, kDown, kAdd, kDelete, kMoveUp, kMoveDown, kDuplicate, kReport, kList, kEye,
    kPlus, kMinus, kMul, kDiv, kClose, kMaximize, kUnmaximize, kMinimize, kHelp, kCollapse, kLoad,
    kSave, kSaveAs, kDeleteFile, kDirectory, kDirectoryUp, kCancel, kOk, kDefault, kEnable, kPencil,
    kSelector, kEraser, kArrow, kClipboardCopy, kClipboardPaste, kProcess, kPlay, kPause, kZoomIn,
    kZoomOut, kZoomDefault, kBullet1, kBullet2, kBullet3, kCheckBoxOff, kCheckBoxOn, kCheckBoxGrayed,
    kWWW, kMail, kPhone,
};
inline constexpr int32_t kStdIconCount = 53;

// The integers a style returns by identifier; 0 is the spacing every layout puts between
// controls.
enum class YStyleMetric : int32_t {
    kDefLayoutSpace, kScrollerLayoutSpace, kXSpaceInYContent, kYSpaceInYContent, kXBorderInYContent,
    kYBorderInYContent, kDefaultListBoxItemHeight, kListBoxItemCheckBoxSize, kDefaultTreeItemHeight,
    kTreeItemCheckBoxSize, kAlphaEnabled, kAlphaDisabled, kTabSetLeftSize, kTabSetRightSize,
    kTabSetOverlapSize, kMenuBarLeftSize, kMenuBarRightSize, kMenuBarOverlapSize, kCheckBoxIconSize,
    kMaxStdIconSizeX, kMaxStdIconSizeY, kMaxStdBitmapSizeX, kMaxStdBitmapSizeY, kHSplitterSize,
    kVSplitterSize, kWindowBorderSizeX, kWindowBorderSizeY,
};
inline constexpr int32_t kStyleMetricCount = 27;

// The names of one enumeration, for parsing and for value editors that list them.
struct YEnumNames {
    const char* const* names; // in value order
    int32_t count;
    const char* typeName;     // as the parse error names it
};

// The name tables; YEnumNamesOf<YStdIcon>() and so on.
template <class E> const YEnumNames& YEnumNamesOf() noexcept;
template <> const YEnumNames& YEnumNamesOf<YModalValue>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YControlType>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YCaptionType>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YCheckBoxState>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YStdBitmap>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YStdCursor>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YStdFont>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YStdColor>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YStdIcon>() noexcept;
template <> const YEnumNames& YEnumNamesOf<YStyleMetric>() noexcept;

// The value of a name (ASCII case ignored); raises "Invalid <typeName> identifier to parse
// ({0}).".
int32_t YEnumParse(const YEnumNames& names, const YString& name);
// The value of a name, or -1.
int32_t YEnumFind(const YEnumNames& names, const YString& name) noexcept;
// The name of a value; empty outside the enumeration.
YString YEnumName(const YEnumNames& names, int32_t value);

template <class E> E YEnumParse(const YString& name) {
    return static_cast<E>(YEnumParse(YEnumNamesOf<E>(), name));
}
template <class E> YString YEnumName(E value) {
    return YEnumName(YEnumNamesOf<E>(), static_cast<int32_t>(value));
}

// The display names of the standard fonts ("Normal", "Bold", ... "Large 4").
YString YStdFontDisplayName(YStdFont font);

// Alignment names by value: "center,center", "left,center", "right,center", "yyy",
// "center,top", ... "right,bottom" (positions 3 and 7 are placeholders, no alignment).
inline constexpr int32_t kAlignmentNameCount = 11;
// The name of an alignment value (YAlignment bits); empty outside 0..10.
YString YAlignmentName(uint32_t alignment);
// The bits of an alignment name (ASCII case and blanks around the comma ignored); raises
// "Invalid YAlignment identifier to parse ({0})." for anything else, the placeholders
// included.
uint32_t YAlignmentParse(const YString& name);

// ---- painting parameters ----

// The state of the thing painted; bits or-ed, none = normal.
namespace YControlState {
inline constexpr uint32_t kNormal = 0;
inline constexpr uint32_t kFocused = 1;     // has the keyboard focus
inline constexpr uint32_t kHighlighted = 2; // the pointer is over it
inline constexpr uint32_t kClicked = 4;     // pressed (or a switched button)
inline constexpr uint32_t kDisabled = 8;
inline constexpr uint32_t kSelected = 16;   // the selected tab, list or menu item
} // namespace YControlState

// The state bits of a control as it is now (focus, hover, capture, enabled).
uint32_t YControlStateOf(const YControl& control) noexcept;

class YStyle;
// The style that paints a control: its window's own style, else the process-wide default
// (nullptr when neither exists).
YStyle* YStyleOf(const YControl& control) noexcept;

enum class YScrollBarPart : int32_t { kTrack, kThumb, kDecrease, kIncrease };

// A menu item's extras.
namespace YMenuItemFlag {
inline constexpr uint32_t kChecked = 1;
inline constexpr uint32_t kSubmenu = 2;
inline constexpr uint32_t kSeparator = 4;
} // namespace YMenuItemFlag

// ---- the style ----

class YStyle {
public:
    static constexpr int32_t kMainColorCount = 4;

    // The process-wide default style: the one installed, nullptr before any (the style layer
    // installs its light style at start-up; a program or test that paints installs one).
    static YStyle* Default() noexcept;
    // Installs the process-wide default (not owned; nullptr uninstalls). Returns the previous.
    static YStyle* Install(YStyle* style) noexcept;

    virtual ~YStyle();                                                      // 0
    // 1: what the style is ("Universal textured style using XML definition").
    virtual YString Description() const = 0;
    // 2: the name of the style preset in use ("Default (light)").
    virtual YString Name() const = 0;
    // 3: the scale of the whole style on each axis (1 = 100 %).
    virtual YPointF Resize() const = 0;
    // 4: the name of the resource listing the style's definitions.
    virtual YString DefinitionListName() const = 0;
    // 5: the font of a standard font, owned by the style (never null).
    virtual YFont* Font(YStdFont font) = 0;
    // 6: the picture of a standard bitmap, owned by the style (never null).
    virtual const YBaseBitmap& Bitmap(YStdBitmap bitmap) = 0;
    // 7: the window system's cursor for a standard cursor.
    virtual YCursor Cursor(YStdCursor cursor) const = 0;
    // 8: the natural size of the standard icons (at the style's scale).
    virtual YSize IconSize() const = 0;
    // 9: a standard icon fitted into rect (centred, square), in colour.
    virtual void DrawIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour) = 0;
    // 10: a standard bitmap centred in rect.
    virtual void DrawBitmap(YDrawer& drawer, YStdBitmap bitmap, const YRect& rect) = 0;
    // 11, 12: the user's four main colours (0 control background, 1 title background, 2
    // background of editors, 3 highlight of selectors); indices outside 0..3 are ignored.
    virtual YColor MainColor(int32_t index) const = 0;
    virtual void SetMainColor(int32_t index, YColor colour) = 0;
    // 13: a standard colour (YStdColor by index; an index outside reads as text). Its alpha
    // is scaled by the style's "alphaenabled" or "alphadisabled" metric and by the caller's
    // factor for that state (0..1).
    virtual YColor Color(int32_t index, bool enabled = true, float enabledFactor = 1.0f,
                         float disabledFactor = 1.0f) const = 0;
    // 14: a metric by identifier (YStyleMetric position); 0 for an unknown identifier.
    virtual int32_t Metric(int32_t identifier) const = 0;
    // 15: the part of rect left for a control's content inside the frame the style paints
    // for its type.
    virtual YRect ContentRect(YControlType type, const YRect& rect) const = 0;
    // 16: the size a control of the type wants at least with its content of contentSize
    // (frame and padding added).
    virtual YSize SizeForContent(YControlType type, YSize contentSize) const = 0;
    // 17, 18: the plastic-size computation: a plastic control's extent on one axis from the
    // extent it has on the other (height for width, width for height).
    virtual int32_t PlasticHeight(const YControl& control, int32_t width) = 0;
    virtual int32_t PlasticWidth(const YControl& control, int32_t height) = 0;
    // 19: the height of a caption bar of the kind.
    virtual int32_t CaptionHeight(YCaptionType type) const = 0;
    // 20: a control's background and frame.
    virtual void DrawControl(YDrawer& drawer, YControlType type, uint32_t state, const YRect& rect) = 0;
    // 21: a caption bar with its text (a panel's or a group's title).
    virtual void DrawCaption(YDrawer& drawer, const YRect& rect, const YString& text, YCaptionType type,
                             uint32_t state) = 0;
    // 22: a check box square (the box alone; the label is DrawText).
    virtual void DrawCheckBox(YDrawer& drawer, const YRect& rect, YCheckBoxState check, uint32_t state) = 0;
    // 23: one part of a scroll bar.
    virtual void DrawScrollBarPart(YDrawer& drawer, const YRect& rect, YScrollBarPart part, bool vertical,
                                   uint32_t state) = 0;
    // 24: one tab of a tab set with its text (kSelected: the current tab).
    virtual void DrawTab(YDrawer& drawer, const YRect& rect, const YString& text, uint32_t state) = 0;
    // 25: the background of a list or tree item (selection, hover, focus).
    virtual void DrawItem(YDrawer& drawer, const YRect& rect, uint32_t state) = 0;
    // 26: a menu item (flags YMenuItemFlag); shortcut is drawn right-aligned.
    virtual void DrawMenuItem(YDrawer& drawer, const YRect& rect, const YString& text, const YString& shortcut,
                              uint32_t flags, uint32_t state) = 0;
    // 27: a progress bar filled to fraction (0..1).
    virtual void DrawProgress(YDrawer& drawer, const YRect& rect, double fraction, bool vertical,
                              uint32_t state) = 0;
    // 28: a splitter bar between two panes (vertical: the bar is vertical).
    virtual void DrawSplitter(YDrawer& drawer, const YRect& rect, bool vertical, uint32_t state) = 0;
    // 29: the keyboard focus ring around rect.
    virtual void DrawFocus(YDrawer& drawer, const YRect& rect) = 0;
    // 30: the event hook: sees every mouse and keyboard event of a window's controls before
    // they do; true when the style handled it.
    virtual bool HandleEvent(YControl& control, YSystemEvent& event) = 0;
    // 31: one line of text in a standard font and colour, aligned in rect (YTextAlign bits).
    virtual void DrawText(YDrawer& drawer, const YRect& rect, const YString& text, YStdFont font,
                          YStdColor colour, uint32_t align, uint32_t state) = 0;
    // 32: the size of one line of text in a standard font.
    virtual YSize TextExtent(YStdFont font, const YString& text) = 0;
    // 33: a tree item's expand / collapse marker.
    virtual void DrawExpander(YDrawer& drawer, const YRect& rect, bool expanded, uint32_t state) = 0;
    // 34: the background of selected text in an edit.
    virtual void DrawTextSelection(YDrawer& drawer, const YRect& rect, uint32_t state) = 0;
    // 35: a separator line (vertical: a vertical line) centred in rect.
    virtual void DrawSeparator(YDrawer& drawer, const YRect& rect, bool vertical) = 0;
    // 36: a colour swatch (colour buttons and editors), a checkerboard under translucency.
    virtual void DrawColorSwatch(YDrawer& drawer, const YRect& rect, YColor colour, uint32_t state) = 0;
    // 37: the text cursor of an edit at x, from top to bottom.
    virtual void DrawCaret(YDrawer& drawer, int32_t x, int32_t top, int32_t bottom) = 0;
    // 38: the text colour that reads on the background of the type in the state.
    virtual YColor TextColor(YControlType type, uint32_t state) const = 0;
    // 39: applies the style to a control (minimal size for its type, caption and font); a
    // change of control type or font calls it again.
    virtual void Apply(YControl& control) = 0;

    // Helpers over the slots.
    YColor Color(YStdColor colour, bool enabled = true) const { return Color(static_cast<int32_t>(colour), enabled); }
    int32_t Metric(YStyleMetric metric) const { return Metric(static_cast<int32_t>(metric)); }
    // The metric of a name (raises for an unknown name, as YEnumParse does).
    int32_t Metric(const YString& name) const { return Metric(YEnumParse(YEnumNamesOf<YStyleMetric>(), name)); }
    // A length in unscaled pixels at the style's scale (rounded, at least 1 when n > 0).
    int32_t ScaleX(int32_t n) const;
    int32_t ScaleY(int32_t n) const;

    // The style's event hook as the toolkit's routing sees it.
    YStyleEventHook* EventHook() noexcept { return &m_hook; }

protected:
    YStyle();
    YStyle(const YStyle&) = delete;
    YStyle& operator=(const YStyle&) = delete;

private:
    class Hook final : public YStyleEventHook {
    public:
        explicit Hook(YStyle& style) : m_style(style) {}
        bool OnStyleEvent(YControl& control, YSystemEvent& event) override {
            return m_style.HandleEvent(control, event);
        }

    private:
        YStyle& m_style;
    };
    Hook m_hook;
};
