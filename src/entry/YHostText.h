// Text into a host's fixed character buffer, in the 8-bit encoding hosts of this system read
// (UTF-8 on Linux, the ANSI code page on Windows; see platform/YPlatformHostText.h).
#pragma once

#include "foundation/YString.h"

#include <cstdint>

// Writes at most maxBytes bytes of text and a terminating zero; the cut falls between
// characters, never inside a UTF-8 sequence or a double-byte character. Returns the bytes
// written before the zero. A null destination is left alone.
int32_t YCopyHostText(char* destination, const YString& text, int32_t maxBytes);
// The same for UTF-8 text.
int32_t YCopyHostText(char* destination, const char* utf8, int32_t maxBytes);
