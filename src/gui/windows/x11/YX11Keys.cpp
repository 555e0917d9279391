#include "gui/windows/x11/YX11Keys.h"

#include <X11/keysym.h>

namespace {

struct KeyPair {
    unsigned long keySym;
    uint32_t virtualKey;
};

// Keys whose code is not their own character.
constexpr KeyPair kKeys[] = {
    {XK_BackSpace, 0x08}, {XK_Tab, 0x09}, {XK_ISO_Left_Tab, 0x09}, {XK_Clear, 0x0C}, {XK_Return, 0x0D},
    {XK_KP_Enter, 0x0D}, {XK_Shift_L, 0x10}, {XK_Shift_R, 0x10}, {XK_Control_L, 0x11}, {XK_Control_R, 0x11},
    {XK_Alt_L, 0x12}, {XK_Alt_R, 0x12}, {XK_Meta_L, 0x12}, {XK_Meta_R, 0x12}, {XK_Pause, 0x13},
    {XK_Caps_Lock, 0x14}, {XK_Escape, 0x1B}, {XK_space, 0x20}, {XK_Prior, 0x21}, {XK_KP_Prior, 0x21},
    {XK_Next, 0x22}, {XK_KP_Next, 0x22}, {XK_End, 0x23}, {XK_KP_End, 0x23}, {XK_Home, 0x24},
    {XK_KP_Home, 0x24}, {XK_Left, 0x25}, {XK_KP_Left, 0x25}, {XK_Up, 0x26}, {XK_KP_Up, 0x26},
    {XK_Right, 0x27}, {XK_KP_Right, 0x27}, {XK_Down, 0x28}, {XK_KP_Down, 0x28}, {XK_Print, 0x2C},
    {XK_Insert, 0x2D}, {XK_KP_Insert, 0x2D}, {XK_Delete, 0x2E}, {XK_KP_Delete, 0x2E}, {XK_Help, 0x2F},
    {XK_Super_L, 0x5B}, {XK_Super_R, 0x5C}, {XK_Menu, 0x5D}, {XK_KP_Multiply, 0x6A}, {XK_KP_Add, 0x6B},
    {XK_KP_Separator, 0x6C}, {XK_KP_Subtract, 0x6D}, {XK_KP_Decimal, 0x6E}, {XK_KP_Divide, 0x6F},
    {XK_Num_Lock, 0x90}, {XK_Scroll_Lock, 0x91}, {XK_semicolon, 0xBA}, {XK_equal, 0xBB}, {XK_comma, 0xBC},
    {XK_minus, 0xBD}, {XK_period, 0xBE}, {XK_slash, 0xBF}, {XK_grave, 0xC0}, {XK_bracketleft, 0xDB},
    {XK_backslash, 0xDC}, {XK_bracketright, 0xDD}, {XK_apostrophe, 0xDE},
};

} // namespace

uint32_t YX11KeySymToVirtualKey(unsigned long keySym) noexcept {
    if (keySym >= XK_a && keySym <= XK_z) return static_cast<uint32_t>('A' + (keySym - XK_a));
    if (keySym >= XK_A && keySym <= XK_Z) return static_cast<uint32_t>('A' + (keySym - XK_A));
    if (keySym >= XK_0 && keySym <= XK_9) return static_cast<uint32_t>('0' + (keySym - XK_0));
    if (keySym >= XK_KP_0 && keySym <= XK_KP_9) return static_cast<uint32_t>(0x60 + (keySym - XK_KP_0));
    if (keySym >= XK_F1 && keySym <= XK_F24) return static_cast<uint32_t>(0x70 + (keySym - XK_F1));
    for (const KeyPair& pair : kKeys)
        if (pair.keySym == keySym) return pair.virtualKey;
    return 0;
}

char32_t YX11KeySymToCharacter(unsigned long keySym) noexcept {
    // Latin-1 key symbols are their own characters; Unicode ones carry 0x01000000.
    if ((keySym >= 0x20 && keySym <= 0x7E) || (keySym >= 0xA0 && keySym <= 0xFF)) return static_cast<char32_t>(keySym);
    if ((keySym & 0xFF000000UL) == 0x01000000UL) return static_cast<char32_t>(keySym & 0x00FFFFFFUL);
    switch (keySym) {
    case XK_Return:
    case XK_KP_Enter: return U'\r';
    case XK_BackSpace: return U'\b';
    case XK_Tab: return U'\t';
    case XK_Escape: return U'\x1B';
    case XK_KP_Space: return U' ';
    case XK_KP_Multiply: return U'*';
    case XK_KP_Add: return U'+';
    case XK_KP_Subtract: return U'-';
    case XK_KP_Decimal: return U'.';
    case XK_KP_Divide: return U'/';
    default: break;
    }
    if (keySym >= XK_KP_0 && keySym <= XK_KP_9) return static_cast<char32_t>(U'0' + (keySym - XK_KP_0));
    return 0;
}
