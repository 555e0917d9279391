// The enumerations and flag bits a control carries.
#pragma once

#include <cstdint>

// How the style paints a control; names as in GUI definitions, numbered from 0 in this order.
enum class YControlType : int32_t {
    kEmpty, kNoBackground, kWindow, kPanel, kControl, kStatic, kButton, kCaptionButton,
    kCheckBox, kTracker, kRotator, kKnob, kHScrollBar, kVScrollBar, kEdit, kSwitcher,
    kProgressBar, kListBox, kTreeControl, kTabSet, kMenu, kMenuBar, kNone,
};
inline constexpr int32_t kControlTypeCount = 23;
// "empty", "nobackground", ... "none"; nullptr outside the enumeration.
const char* YControlTypeName(YControlType type) noexcept;
// The type of a name (exact, lower case); false for an unknown name.
bool YControlTypeFromName(const char16_t* name, int32_t length, YControlType& type) noexcept;

// Flag bits of a control. The first twenty are set by the like-named attribute of a GUI
// definition; the last three are the toolkit's own.
namespace YControlFlag {
inline constexpr uint32_t kVisible = 1u << 0;
inline constexpr uint32_t kEnabled = 1u << 1;
inline constexpr uint32_t kTabStop = 1u << 2;
inline constexpr uint32_t kAutoDetectMinimalSize = 1u << 3;
inline constexpr uint32_t kOverlayControl = 1u << 4;
inline constexpr uint32_t kAdaptSize = 1u << 5;
inline constexpr uint32_t kPlastic = 1u << 6;
inline constexpr uint32_t kPlasticAdaptSize = 1u << 7;
inline constexpr uint32_t kCollapsable = 1u << 8;
inline constexpr uint32_t kCollapsed = 1u << 9;
inline constexpr uint32_t kLayoutSaveRatio = 1u << 10;
inline constexpr uint32_t kShowHelp = 1u << 11;
inline constexpr uint32_t kUseParentHelp = 1u << 12;
inline constexpr uint32_t kCloseOnEscape = 1u << 13;
inline constexpr uint32_t kMoveToScreenCenter = 1u << 14;
inline constexpr uint32_t kAutoSaveState = 1u << 15;
inline constexpr uint32_t kSaveWindowPos = 1u << 16;
inline constexpr uint32_t kSaveWindowSize = 1u << 17;
inline constexpr uint32_t kEnableSaveState = 1u << 18;
inline constexpr uint32_t kSaveSubControlState = 1u << 19;
// Internal.
inline constexpr uint32_t kHeldByLayout = 1u << 24;
inline constexpr uint32_t kMaximized = 1u << 25;
inline constexpr uint32_t kNeedsRepaint = 1u << 26;

inline constexpr uint32_t kDefault = kVisible | kEnabled;
} // namespace YControlFlag

// The "up" events a control asks for; without them a button release is not handled by it.
namespace YControlUpEvents {
inline constexpr uint32_t kLeftUp = 1;
inline constexpr uint32_t kRightUp = 2;
inline constexpr uint32_t kMiddleUp = 4;
} // namespace YControlUpEvents

// Placement of a control in its layout slot: left 1, right 2, top 4, bottom 8; no bit on an
// axis centres it there.
namespace YAlignment {
inline constexpr uint32_t kLeft = 1;
inline constexpr uint32_t kRight = 2;
inline constexpr uint32_t kTop = 4;
inline constexpr uint32_t kBottom = 8;
inline constexpr uint32_t kCenter = 0;
} // namespace YAlignment

// The size class of a control's caption ("small", "normal", "large"); the styles give each
// its height, font and look.
enum class YCaptionType : int32_t { kSmall, kNormal, kLarge };
