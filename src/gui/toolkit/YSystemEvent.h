// YSystemEvent: one mouse, keyboard or other event as the window system hands it to the
// control tree, and the codes and flags it carries. Every window system (Win32, X11, the
// headless one) builds these records; the controls see nothing else of the platform.
#pragma once

#include "gui/drawing/YGeometry.h"

#include <cstdint>

namespace YEventCode {
// Mouse events (0-12).
inline constexpr int32_t kLeftDown = 0;
inline constexpr int32_t kRightDown = 1;
inline constexpr int32_t kMiddleDown = 2;
inline constexpr int32_t kLeftUp = 3;
inline constexpr int32_t kRightUp = 4;
inline constexpr int32_t kMiddleUp = 5;
inline constexpr int32_t kLeftDoubleClick = 6;
inline constexpr int32_t kRightDoubleClick = 7;
inline constexpr int32_t kMiddleDoubleClick = 8;
inline constexpr int32_t kMouseLeave = 9;   // the pointer left the window; the point is meaningless
inline constexpr int32_t kWheel = 10;       // extra: the signed wheel delta (120 per notch)
inline constexpr int32_t kMouseMove = 11;   // the pointer moved (buttons in the flags)
inline constexpr int32_t kMouseHover = 12;  // the pointer rested (reserved for tool tips)
inline constexpr int32_t kLastMouse = 12;
// Keyboard events (13-15), routed to the focused control.
inline constexpr int32_t kKeyDown = 13;     // fires the key event; F1 opens help
inline constexpr int32_t kKeyUp = 14;       // checks the keyboard shortcuts
inline constexpr int32_t kCharacter = 15;   // character: the code point
inline constexpr int32_t kLastKeyboard = 15;
// Other events, handled by the control they are sent to.
inline constexpr int32_t kDropFiles = 16;

constexpr bool IsMouse(int32_t code) noexcept { return code >= 0 && code <= kLastMouse; }
constexpr bool IsKeyboard(int32_t code) noexcept { return code > kLastMouse && code <= kLastKeyboard; }
// The up code (3-5) of a button, and the down code (0-2) a double-click (6-8) falls back to.
constexpr bool IsUp(int32_t code) noexcept { return code >= kLeftUp && code <= kMiddleUp; }
constexpr bool IsDown(int32_t code) noexcept { return code >= kLeftDown && code <= kMiddleDown; }
constexpr bool IsDoubleClick(int32_t code) noexcept {
    return code >= kLeftDoubleClick && code <= kMiddleDoubleClick;
}
constexpr int32_t DownOfDoubleClick(int32_t code) noexcept { return code - kLeftDoubleClick; }
} // namespace YEventCode

// Button and modifier flags of an event (the same bits as the Win32 mouse message's first
// parameter where they exist there).
namespace YEventFlag {
inline constexpr uint32_t kLeftButton = 1;
inline constexpr uint32_t kMiddleButton = 2;
inline constexpr uint32_t kRightButton = 4;
inline constexpr uint32_t kCtrl = 16;
inline constexpr uint32_t kAlt = 32;
inline constexpr uint32_t kShift = 64;
// Set on a "down" that a double-click became because no control took the double-click.
inline constexpr uint32_t kDouble = 128;
inline constexpr uint32_t kButtons = kLeftButton | kMiddleButton | kRightButton;
inline constexpr uint32_t kModifiers = kCtrl | kAlt | kShift;
} // namespace YEventFlag

// Key codes are the Win32 virtual-key codes; the window systems of other platforms translate
// to them. The ones the toolkit itself looks at:
namespace YKey {
inline constexpr uint32_t kBack = 0x08;
inline constexpr uint32_t kTab = 0x09;
inline constexpr uint32_t kReturn = 0x0D;
inline constexpr uint32_t kShift = 0x10;
inline constexpr uint32_t kControl = 0x11;
inline constexpr uint32_t kMenu = 0x12; // Alt
inline constexpr uint32_t kEscape = 0x1B;
inline constexpr uint32_t kSpace = 0x20;
inline constexpr uint32_t kPrior = 0x21;
inline constexpr uint32_t kNext = 0x22;
inline constexpr uint32_t kEnd = 0x23;
inline constexpr uint32_t kHome = 0x24;
inline constexpr uint32_t kLeft = 0x25;
inline constexpr uint32_t kUp = 0x26;
inline constexpr uint32_t kRight = 0x27;
inline constexpr uint32_t kDown = 0x28;
inline constexpr uint32_t kInsert = 0x2D;
inline constexpr uint32_t kDelete = 0x2E;
// '0'-'9' and 'A'-'Z' are their ASCII codes.
inline constexpr uint32_t kF1 = 0x70; // 112
inline constexpr uint32_t kF12 = 0x7B;
} // namespace YKey

struct YSystemEvent {
    int32_t code = 0;
    // Mouse events: in window (root client) coordinates. Keyboard events: where the pointer
    // was last seen in the window.
    YPoint point;
    uint32_t flags = 0;    // YEventFlag bits
    int32_t extra = 0;     // wheel delta for kWheel; repeat count for key events
    uint32_t keyCode = 0;  // kKeyDown, kKeyUp: the virtual-key code
    uint32_t character = 0; // kCharacter: the Unicode code point

    static YSystemEvent Mouse(int32_t code, YPoint point, uint32_t flags = 0, int32_t extra = 0) noexcept {
        YSystemEvent e;
        e.code = code;
        e.point = point;
        e.flags = flags;
        e.extra = extra;
        return e;
    }
    static YSystemEvent Key(int32_t code, uint32_t keyCode, uint32_t modifiers = 0) noexcept {
        YSystemEvent e;
        e.code = code;
        e.keyCode = keyCode;
        e.flags = modifiers;
        return e;
    }
    static YSystemEvent Character(uint32_t codePoint, uint32_t modifiers = 0) noexcept {
        YSystemEvent e;
        e.code = YEventCode::kCharacter;
        e.character = codePoint;
        e.flags = modifiers;
        return e;
    }
};
