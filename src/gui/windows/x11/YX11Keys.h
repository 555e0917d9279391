// X11 key symbols to the Win32 virtual-key codes that controls compare key events with.
#pragma once

#include <cstdint>

// The virtual-key code of an unshifted key symbol; 0 for keys without one.
uint32_t YX11KeySymToVirtualKey(unsigned long keySym) noexcept;
// The character a key symbol types (Latin-1 and Unicode key symbols); 0 for none.
char32_t YX11KeySymToCharacter(unsigned long keySym) noexcept;
