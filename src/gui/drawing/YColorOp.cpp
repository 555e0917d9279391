#include "gui/drawing/YColorOp.h"

#include "foundation/YException.h"

#include <algorithm>

namespace {

constexpr const char* kNames[kYColorOpCount] = {
    "None", "Alphablend", "Modulate", "Copy", "Overlay", "Color", "Invert", "Add", "Subtract", "Lighten", "Darken",
    "Difference", "IncContrast", "DecContrast", "LightenByContrast", "DarkenByContrast", "AddAndOverflow",
};

inline int Clamp255(int v) noexcept { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// The rule of one colour byte; l is d's brightness (used by "Color" only).
inline int Rule(YColorOp op, int s, int d, int l) noexcept {
    switch (op) {
    case YColorOp::Modulate: return (d * (s + 1)) >> 8;
    case YColorOp::Overlay: return d < 128 ? (2 * s * d) >> 8 : 255 - ((2 * (255 - s) * (255 - d)) >> 8);
    case YColorOp::Color: return (s * (l + 1)) >> 8;
    case YColorOp::Invert: return 255 - d;
    case YColorOp::Add: return std::min(255, d + s);
    case YColorOp::Subtract: return std::max(0, d - s);
    case YColorOp::Lighten: return std::max(d, s);
    case YColorOp::Darken: return std::min(d, s);
    case YColorOp::Difference: return d > s ? d - s : s - d;
    case YColorOp::IncContrast: return Clamp255(128 + (((d - 128) * (256 + s)) >> 8));
    case YColorOp::DecContrast: return 128 + (((d - 128) * (255 - s)) >> 8);
    case YColorOp::LightenByContrast: return d + (((255 - d) * s) >> 8);
    case YColorOp::DarkenByContrast: return d - ((d * s) >> 8);
    case YColorOp::AddAndOverflow: return (d + s) & 255;
    default: return d;
    }
}

inline uint8_t Mix(int x, int d, int a) noexcept { return static_cast<uint8_t>((x * a + d * (255 - a)) >> 8); }

inline YColor Blend(YColor s, YColor d, int a) noexcept {
    return YColor{Mix(s.b, d.b, a), Mix(s.g, d.g, a), Mix(s.r, d.r, a), d.a};
}

inline YColor ApplyRule(YColorOp op, YColor s, YColor d) noexcept {
    const int l = (77 * d.r + 150 * d.g + 29 * d.b) >> 8;
    YColor x{static_cast<uint8_t>(Rule(op, s.b, d.b, l)), static_cast<uint8_t>(Rule(op, s.g, d.g, l)),
             static_cast<uint8_t>(Rule(op, s.r, d.r, l)), d.a};
    if (s.a == 255) return x;
    return Blend(x, d, ((s.a + 1) * 255) >> 8);
}

} // namespace

YString YColorOpName(YColorOp op) {
    const auto i = static_cast<int32_t>(op);
    return i >= 0 && i < kYColorOpCount ? YString::Literal(kNames[i]) : YString();
}

YColorOp YColorOpParse(const YString& name) {
    for (int32_t i = 0; i < kYColorOpCount; ++i)
        if (name == YString::Literal(kNames[i])) return static_cast<YColorOp>(i);
    YRaiseFormat(YException::kGeneral, "Invalid YColorOp identifier to parse ({0}).", name);
}

YColor YColorOpApply(YColorOp op, YColor s, YColor d) noexcept {
    switch (op) {
    case YColorOp::Copy: return s;
    case YColorOp::Alphablend: return s.a == 255 ? s : Blend(s, d, ((s.a + 1) * 255) >> 8);
    default:
        if (static_cast<int32_t>(op) <= 0 || static_cast<int32_t>(op) >= kYColorOpCount) return d;
        return ApplyRule(op, s, d);
    }
}

void YColorOpApplyRun(YColorOp op, YColor s, YColor* d, int32_t n) noexcept {
    if (n <= 0) return;
    if (op == YColorOp::Copy || (op == YColorOp::Alphablend && s.a == 255)) {
        std::fill(d, d + n, s);
        return;
    }
    if (static_cast<int32_t>(op) <= 0 || static_cast<int32_t>(op) >= kYColorOpCount) return;
    if (op == YColorOp::Alphablend) {
        const int a = ((s.a + 1) * 255) >> 8;
        if (a == 0) return;
        // The source's share of each byte is the same for the whole run.
        const int sb = s.b * a, sg = s.g * a, sr = s.r * a, k = 255 - a;
        for (int32_t i = 0; i < n; ++i) {
            YColor& p = d[i];
            p.b = static_cast<uint8_t>((sb + p.b * k) >> 8);
            p.g = static_cast<uint8_t>((sg + p.g * k) >> 8);
            p.r = static_cast<uint8_t>((sr + p.r * k) >> 8);
        }
        return;
    }
    for (int32_t i = 0; i < n; ++i) d[i] = ApplyRule(op, s, d[i]);
}

YColor YColorOpApplyCoverage(YColorOp op, YColor s, YColor d, uint8_t coverage) noexcept {
    if (coverage == 0 || op == YColorOp::None) return d;
    if (coverage == 255) return YColorOpApply(op, s, d);
    if (op == YColorOp::Copy) {
        const int a = ((coverage + 1) * 255) >> 8;
        return YColor{Mix(s.b, d.b, a), Mix(s.g, d.g, a), Mix(s.r, d.r, a), Mix(s.a, d.a, a)};
    }
    return YColorOpApply(op, s.WithAlpha(static_cast<uint8_t>(((coverage + 1) * s.a) >> 8)), d);
}
