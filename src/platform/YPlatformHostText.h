// The 8-bit text a plug-in host of this system reads in the fixed character buffers of older
// plug-in interfaces: UTF-8 on Linux, the ANSI code page on Windows.
#pragma once

#include <string>
#include <string_view>

// Converts UTF-16 text; characters the encoding lacks (and unpaired surrogates) become a
// replacement: '?' in a code page, U+FFFD in UTF-8.
std::string YPlatformHostText(std::u16string_view utf16);
