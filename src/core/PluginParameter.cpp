#include "core/PluginParameter.h"

#include "core/YValue.h"
#include "foundation/YFormat.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <atomic>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// The shared random source

namespace {

std::atomic<uint32_t> g_randomState{1};

uint32_t Step() noexcept {
    uint32_t s = g_randomState.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_randomState.store(s, std::memory_order_relaxed);
    return s;
}

} // namespace

void YSharedRandom::Seed(uint32_t state) noexcept { g_randomState.store(state, std::memory_order_relaxed); }

uint32_t YSharedRandom::State() noexcept { return g_randomState.load(std::memory_order_relaxed); }

double YSharedRandom::Next() noexcept {
    return static_cast<double>((Step() >> 16) & 0x7FFF) * (1.0 / 32767.0);
}

bool YSharedRandom::NextBit() noexcept { return ((Step() >> 16) & 1u) != 0; }

uint32_t YSharedRandom::NextState() noexcept { return Step(); }

// ---------------------------------------------------------------------------------------------
// Shapes

namespace {

double Shaped(double x, ParameterShape shape) noexcept {
    switch (shape) {
    case kShapeSquare:
        return x * x;
    case kShapeFourth:
        return x * x * x * x;
    default:
        return x;
    }
}

double Unshaped(double n, ParameterShape shape) noexcept {
    switch (shape) {
    case kShapeSquare:
        return std::sqrt(n);
    case kShapeFourth:
        return std::sqrt(std::sqrt(n));
    default:
        return n;
    }
}

// Position of value within min..max, limited to 0..1; 0 for an empty range.
double Fraction(double value, double min, double max) noexcept {
    double range = max - min;
    if (range == 0.0 || !std::isfinite(range)) return 0.0;
    double n = (value - min) / range;
    return std::isnan(n) ? 0.0 : std::clamp(n, 0.0, 1.0);
}

// Round half up, limited to lo..hi before the cast so that any double is safe.
int32_t RoundToInt(double value, int32_t lo, int32_t hi) noexcept {
    if (std::isnan(value)) return lo;
    return static_cast<int32_t>(
        std::clamp(YRoundHalfUp(value), static_cast<double>(lo), static_cast<double>(hi)));
}

bool IsFull(double amount) noexcept { return std::fabs(amount - 1.0) < 1e-50; }

} // namespace

// ---------------------------------------------------------------------------------------------
// Definition

namespace {

void DefineCommon(PluginParameter& p, ParameterKind kind, const YString& id, const YString& name) {
    p.Kind = kind;
    p.ID = id;
    p.Name = name;
    p.FlagsA |= PluginParameter::kDefined;
}

} // namespace

void PluginParameter::DefineFloat(const YString& id, const YString& name, double min, double max, double def,
                                  ParameterShape shape) {
    DefineCommon(*this, kParameterFloat, id, name);
    Float.Min = min;
    Float.Max = max;
    Float.Default = def;
    Float.Value = def;
    Float.Shadow = def;
    Float.Processing = def;
    Float.Shape = shape;
}

void PluginParameter::DefineInteger(const YString& id, const YString& name, int32_t min, int32_t max,
                                    int32_t def) {
    DefineCommon(*this, kParameterInteger, id, name);
    Int.Min = min;
    Int.Max = max;
    Int.Default = def;
    Int.Value = def;
    Int.Shadow = def;
}

void PluginParameter::DefineEnum(const YString& id, const YString& name, const char* const* names,
                                 int32_t count, int32_t def) {
    DefineCommon(*this, kParameterEnum, id, name);
    Enum.Names = names;
    Enum.Count = count;
    Enum.Default = def;
    Enum.Value = def;
}

void PluginParameter::DefineBool(const YString& id, const YString& name, bool def) {
    DefineCommon(*this, kParameterBool, id, name);
    Bool.Default = def ? 1 : 0;
    Bool.Value = Bool.Default;
}

void PluginParameter::DefineGroup(const YString& id, const YString& name, uint8_t* state) {
    DefineCommon(*this, kParameterGroup, id, name);
    Group.State = state;
    Group.Default = state != nullptr && *state != 0 ? 1 : 0;
}

void PluginParameter::DefineSpecial(const YString& id, const YString& name, YParameterSpecialObject* object) {
    DefineCommon(*this, kParameterSpecial, id, name);
    Special.Object = object;
}

// ---------------------------------------------------------------------------------------------
// Normalisation

bool PluginParameter::IsOn() const noexcept {
    if (Kind == kParameterBool) return Bool.Value != 0;
    if (Kind == kParameterGroup) return Group.State != nullptr && *Group.State != 0;
    return false;
}

double PluginParameter::GetNormalized() const noexcept {
    switch (Kind) {
    case kParameterFloat:
        return Unshaped(Fraction(Float.Value, Float.Min, Float.Max), Float.Shape);
    case kParameterInteger:
        return Fraction(Int.Value, Int.Min, Int.Max);
    case kParameterEnum:
        return Enum.Count > 1 ? std::clamp(static_cast<double>(Enum.Value) / (Enum.Count - 1), 0.0, 1.0)
                              : 0.0;
    case kParameterBool:
    case kParameterGroup:
        return IsOn() ? 1.0 : 0.0;
    default:
        return 0.0;
    }
}

void PluginParameter::SetNormalized(double x) noexcept {
    if (std::isnan(x)) return;
    x = std::clamp(x, 0.0, 1.0);
    switch (Kind) {
    case kParameterFloat: {
        double v = Float.Min + (Float.Max - Float.Min) * Shaped(x, Float.Shape);
        (IsHeld() ? Float.Shadow : Float.Value) = v;
        break;
    }
    case kParameterInteger: {
        int32_t lo = std::min(Int.Min, Int.Max);
        int32_t hi = std::max(Int.Min, Int.Max);
        int32_t v = RoundToInt(Int.Min + (static_cast<double>(Int.Max) - Int.Min) * x, lo, hi);
        (IsHeld() ? Int.Shadow : Int.Value) = v;
        break;
    }
    case kParameterEnum:
        if (Enum.Count > 0) Enum.Value = RoundToInt(Enum.Count * x - 0.5, 0, Enum.Count - 1);
        break;
    case kParameterBool:
        Bool.Value = x >= 0.5 ? 1 : 0;
        break;
    case kParameterGroup:
        if (Group.State != nullptr) *Group.State = x >= 0.5 ? 1 : 0;
        break;
    default:
        break;
    }
}

double PluginParameter::GetDefaultNormalized() const noexcept {
    switch (Kind) {
    case kParameterFloat:
        return Unshaped(Fraction(Float.Default, Float.Min, Float.Max), Float.Shape);
    case kParameterInteger:
        return Fraction(Int.Default, Int.Min, Int.Max);
    case kParameterEnum:
        return Enum.Count > 1 ? std::clamp(static_cast<double>(Enum.Default) / (Enum.Count - 1), 0.0, 1.0)
                              : 0.0;
    case kParameterBool:
        // The record's own default, so that a host's reset restores it.
        return Bool.Default != 0 ? 1.0 : 0.0;
    case kParameterGroup:
        return Group.Default != 0 ? 1.0 : 0.0;
    default:
        return 0.5;
    }
}

void PluginParameter::SetHold(bool on) noexcept {
    if (Kind == kParameterFloat) Float.Shadow = Float.Value;
    if (Kind == kParameterInteger) Int.Shadow = Int.Value;
    SetFlagA(kHold, on);
}

// ---------------------------------------------------------------------------------------------
// Text

void PluginParameter::GetValueText(YString& out) {
    if (TextFunction != nullptr && Kind != kParameterBool && Kind != kParameterGroup) {
        TextFunction(out, *this, YString());
        return;
    }
    switch (Kind) {
    case kParameterFloat:
        out = Format.IsEmpty() ? YString::FromDouble(Float.Value, 6) : YFormat::Text(Format, Float.Value);
        break;
    case kParameterInteger:
        out = Format.IsEmpty() ? YString::FromInteger(Int.Value)
                               : YFormat::Text(Format, static_cast<int64_t>(Int.Value));
        break;
    case kParameterEnum:
        out = Enum.Names != nullptr && Enum.Value >= 0 && Enum.Value < Enum.Count
                  ? YString::Literal(Enum.Names[Enum.Value])
                  : YString();
        break;
    case kParameterBool:
    case kParameterGroup:
        out = IsOn() ? YString("On") : YString("Off");
        break;
    default:
        out = YString();
        break;
    }
}

double PluginParameter::ParseValueText(const YString& text) {
    switch (Kind) {
    case kParameterFloat:
        if (TextFunction != nullptr) {
            YString ignored;
            TextFunction(ignored, *this, text);
            // Typed text may lie outside the range ("500 ms" for a 10 ms control).
            Float.Value = std::isnan(Float.Value) ? Float.Default
                                                  : std::clamp(Float.Value, std::min(Float.Min, Float.Max),
                                                               std::max(Float.Min, Float.Max));
            return GetNormalized();
        }
        return Unshaped(Fraction(text.Trimmed().ToDouble(), Float.Min, Float.Max), Float.Shape);
    case kParameterInteger:
        if (TextFunction != nullptr) {
            PluginParameter copy = *this;
            YString ignored;
            TextFunction(ignored, copy, text);
            return copy.GetNormalized();
        }
        return Fraction(static_cast<double>(text.Trimmed().ToInteger(10)), Int.Min, Int.Max);
    case kParameterEnum:
        if (TextFunction != nullptr) {
            PluginParameter copy = *this;
            YString ignored;
            TextFunction(ignored, copy, text);
            return copy.GetNormalized();
        }
        if (Enum.Names == nullptr || Enum.Count < 2) return 0.0;
        for (int32_t i = 0; i < Enum.Count; ++i)
            if (text == YString::Literal(Enum.Names[i])) return static_cast<double>(i) / (Enum.Count - 1);
        return 0.0;
    case kParameterBool:
    case kParameterGroup: {
        YString t = text.Trimmed();
        if (t == YString("On")) return 1.0;
        if (t == YString("Off")) return 0.0;
        return t.ToDouble() >= 0.5 ? 1.0 : 0.0;
    }
    default:
        return 0.0;
    }
}

// ---------------------------------------------------------------------------------------------
// State

void PluginParameter::Store(bool storing, YXMLItem& item) {
    if (!storing) {
        Load(item);
        return;
    }
    YString name = YString("parameter") + ID;
    switch (Kind) {
    case kParameterFloat:
        item.SetAttribute(name, YString::FromDouble(Float.Value, 12));
        break;
    case kParameterInteger:
        item.SetAttribute(name, YString::FromInteger(Int.Value));
        break;
    case kParameterEnum:
        item.SetAttribute(name, YString::FromInteger(Enum.Value));
        if (Enum.Names != nullptr && Enum.Value >= 0 && Enum.Value < Enum.Count)
            item.SetAttribute(name + YString("Enum"), YString::Literal(Enum.Names[Enum.Value]));
        break;
    case kParameterBool:
    case kParameterGroup:
        item.SetAttribute(name, IsOn() ? YString("1") : YString("0"));
        break;
    default:
        break;
    }
}

void PluginParameter::Load(const YXMLItem& item) {
    YString name = YString("parameter") + ID;
    const YString* text = item.FindAttribute(name);
    auto readInteger = [](const YString* t, int64_t& out) {
        if (t == nullptr) return false;
        int32_t consumed = 0;
        out = t->Trimmed().ToInteger(10, &consumed);
        return consumed > 0;
    };
    int64_t n = 0;
    switch (Kind) {
    case kParameterFloat: {
        if (text == nullptr) break;
        int32_t consumed = 0;
        double v = text->Trimmed().ToDouble(&consumed);
        if (consumed == 0 || std::isnan(v)) break;
        Float.Value = v;
        ClampValue();
        break;
    }
    case kParameterInteger:
        if (!readInteger(text, n)) break;
        Int.Value = static_cast<int32_t>(
            std::clamp<int64_t>(n, std::min(Int.Min, Int.Max), std::max(Int.Min, Int.Max)));
        break;
    case kParameterEnum: {
        if (Enum.Count <= 0) break;
        if (const YString* enumName = item.FindAttribute(name + YString("Enum"))) {
            for (int32_t i = 0; Enum.Names != nullptr && i < Enum.Count; ++i) {
                if (*enumName == YString::Literal(Enum.Names[i])) {
                    Enum.Value = i;
                    return;
                }
            }
        }
        if (!readInteger(text, n)) break;
        Enum.Value = static_cast<int32_t>(std::clamp<int64_t>(n, 0, Enum.Count - 1));
        break;
    }
    case kParameterBool:
        if (readInteger(text, n)) Bool.Value = n != 0 ? 1 : 0;
        break;
    case kParameterGroup:
        if (Group.State != nullptr && readInteger(text, n)) *Group.State = n != 0 ? 1 : 0;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Randomisation

void PluginParameter::ClampValue() noexcept {
    switch (Kind) {
    case kParameterFloat:
        Float.Value = std::clamp(Float.Value, std::min(Float.Min, Float.Max), std::max(Float.Min, Float.Max));
        break;
    case kParameterInteger:
        Int.Value = std::clamp(Int.Value, std::min(Int.Min, Int.Max), std::max(Int.Min, Int.Max));
        break;
    case kParameterEnum:
        Enum.Value = Enum.Count > 0 ? std::clamp(Enum.Value, 0, Enum.Count - 1) : 0;
        break;
    default:
        break;
    }
}

void PluginParameter::Randomize(double amount, bool force) noexcept {
    if (!force && !IsRandomizable()) return;
    if (std::isnan(amount)) return;
    amount = std::clamp(amount, 0.0, 1.0);
    bool full = IsFull(amount);
    switch (Kind) {
    case kParameterFloat: {
        double r = YSharedRandom::Next();
        double n;
        if (full) {
            n = r;
        } else {
            n = Unshaped(Fraction(Float.Value, Float.Min, Float.Max), Float.Shape);
            n = std::clamp(n + 2.0 * amount * r - amount, 0.0, 1.0);
        }
        Float.Value = Float.Min + (Float.Max - Float.Min) * Shaped(n, Float.Shape);
        if ((FlagsB & kRoundRandom) != 0) Float.Value = YRoundHalfUp(Float.Value);
        ClampValue();
        Float.Processing = Float.Value;
        break;
    }
    case kParameterInteger: {
        double r = YSharedRandom::Next();
        double range = static_cast<double>(Int.Max) - Int.Min;
        double v;
        if (full) {
            v = YRoundHalfUp(r * range + Int.Min);
        } else {
            double s = range * amount;
            v = Int.Value + YRoundHalfUp(2.0 * s * r - s);
        }
        Int.Value = RoundToInt(v, std::min(Int.Min, Int.Max), std::max(Int.Min, Int.Max));
        break;
    }
    case kParameterEnum: {
        if (Enum.Count <= 0) break;
        double r = YSharedRandom::Next();
        double v;
        if (full) {
            v = std::trunc(r * Enum.Count);
        } else {
            double s = Enum.Count * amount;
            v = Enum.Value + YRoundHalfUp(2.0 * s * r - s);
        }
        Enum.Value = static_cast<int32_t>(std::clamp(v, 0.0, static_cast<double>(Enum.Count - 1)));
        break;
    }
    case kParameterBool:
        if (amount >= 0.5 - 1e-50) Bool.Value = YSharedRandom::NextBit() ? 1 : 0;
        break;
    case kParameterGroup:
        if (amount >= 0.5 - 1e-50 && Group.State != nullptr) *Group.State = YSharedRandom::NextBit() ? 1 : 0;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Standard text functions

namespace {

// Reads typed text as a number; nothing for text without one.
bool ReadNumber(const YString& input, double& value) {
    std::optional<double> v = YValueConfig::ParseNumber(input);
    if (!v) return false;
    value = *v;
    return true;
}

} // namespace

void ParameterTextPercent(YString& out, PluginParameter& record, const YString& input) {
    if (input.IsEmpty()) {
        out = YValuePercents::Text(record.Float.Value);
        return;
    }
    out = YString();
    double v;
    if (ReadNumber(input, v)) record.Float.Value = v * 0.01;
}

void ParameterTextTime(YString& out, PluginParameter& record, const YString& input) {
    if (input.IsEmpty()) {
        out = YValueTimeMS::Text(record.Float.Value);
        return;
    }
    out = YString();
    double v;
    if (ReadNumber(input, v)) record.Float.Value = v * 0.001;
}

void ParameterTextDryWet(YString& out, PluginParameter& record, const YString& input) {
    if (input.IsEmpty()) {
        double depth = std::isnan(record.Float.Value) ? 0.0 : std::clamp(record.Float.Value, -2.0, 2.0);
        double wet = YRoundHalfUp(std::clamp(depth, -1.0, 1.0) * 100.0);
        double dry = YRoundHalfUp(std::min(2.0 - std::fabs(depth), 1.0) * 100.0);
        out = YFormat::Text("{0}% wet, {1}% dry", static_cast<int64_t>(wet), static_cast<int64_t>(dry));
        return;
    }
    out = YString();
    double v;
    if (ReadNumber(input, v)) record.Float.Value = v * 0.01;
}

void ParameterTextFrequency(YString& out, PluginParameter& record, const YString& input) {
    if (input.IsEmpty()) {
        out = YValueFrequency::Text(std::pow(10.0, record.Float.Value));
        return;
    }
    out = YString();
    // A frequency of zero or below has no logarithm: such input is ignored.
    std::optional<double> hz = YValueFrequency::Parse(input);
    if (hz && *hz > 0.0) record.Float.Value = std::log10(*hz);
}

void ParameterTextDegrees(YString& out, PluginParameter& record, const YString& input) {
    if (input.IsEmpty()) {
        out = YValueDegreesFrom01::Text(record.Float.Value);
        return;
    }
    out = YString();
    double v;
    if (ReadNumber(input, v)) record.Float.Value = v / 360.0;
}
