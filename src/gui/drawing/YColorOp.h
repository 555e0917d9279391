// YColorOp: how a drawing operation combines its source colour s with the destination pixel d.
//
// "Copy" stores s (all four bytes). "Alphablend" mixes with a = ((alpha + 1) * 255) >> 8:
// d = (s * a + d * (255 - a)) >> 8 per colour byte, d's alpha byte kept; alpha 255 copies.
// Every other operation computes a result x per colour byte by its rule below, then mixes x
// into d by s's alpha exactly as "Alphablend" mixes s (alpha 255 takes x as it is); the
// destination's alpha byte is kept. "None" changes nothing.
//   Modulate          x = (d * (s + 1)) >> 8                       multiply
//   Overlay           x = d < 128 ? (2 * s * d) >> 8 : 255 - ((2 * (255 - s) * (255 - d)) >> 8)
//   Color             x = (s * (L + 1)) >> 8, L = (77 r + 150 g + 29 b) >> 8 of d: s's tint
//                                                                  at d's brightness
//   Invert            x = 255 - d                                  (s's colour bytes unused)
//   Add               x = min(255, d + s)
//   Subtract          x = max(0, d - s)
//   Lighten, Darken   x = max(d, s), min(d, s)
//   Difference        x = |d - s|
//   IncContrast       x = clamp(128 + (((d - 128) * (256 + s)) >> 8))   away from mid-grey
//   DecContrast       x = 128 + (((d - 128) * (255 - s)) >> 8)          towards mid-grey
//   LightenByContrast x = d + (((255 - d) * s) >> 8)                    towards white by s
//   DarkenByContrast  x = d - ((d * s) >> 8)                            towards black by s
//   AddAndOverflow    x = (d + s) & 255                                 wraps
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YColor.h"

#include <cstdint>

enum class YColorOp : int32_t {
    None = 0,
    Alphablend,
    Modulate,
    Copy,
    Overlay,
    Color,
    Invert,
    Add,
    Subtract,
    Lighten,
    Darken,
    Difference,
    IncContrast,
    DecContrast,
    LightenByContrast,
    DarkenByContrast,
    AddAndOverflow,
};

inline constexpr int32_t kYColorOpCount = 17;

// The name as files write it ("Alphablend"); empty for a value out of range.
YString YColorOpName(YColorOp op);
// Parses a name (exact case); raises "Invalid YColorOp identifier to parse ({0})." otherwise.
YColorOp YColorOpParse(const YString& name);

// d combined with s under op, by the rules above. An op out of range changes nothing.
YColor YColorOpApply(YColorOp op, YColor s, YColor d) noexcept;
// The same over n pixels of one run; the fast path of the drawer's fills.
void YColorOpApplyRun(YColorOp op, YColor s, YColor* d, int32_t n) noexcept;
// One pixel with a coverage (0: nothing, 255: whole): the source's alpha is scaled by
// ((coverage + 1) * alpha) >> 8 first; "Copy" with partial coverage blends towards s, alpha
// byte included, in proportion.
YColor YColorOpApplyCoverage(YColorOp op, YColor s, YColor d, uint8_t coverage) noexcept;
