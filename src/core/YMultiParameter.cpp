#include "core/YMultiParameter.h"

#include "core/YParameterAccess.h"
#include "core/YStoreFields.h"
#include "core/YStorer.h"
#include "core/YValue.h"
#include "foundation/YException.h"
#include "foundation/YHexaStream.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLItem.h"
#include "foundation/YZLibStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

using namespace YStoreFields;

namespace {

const char* const kModeNames[YMultiParameter::kModeCount] = {"Normal", "Switch", "Trigger", "Banks"};
const char* const kValueModeNames[YMultiParameter::kValueModeCount] = {"Percents", "By first parameter"};

double Fraction01(double x) noexcept { return x >= 0.0 ? std::min(x, 1.0) : 0.0; } // also NaN

// The value of the banks at position p: bank i sits at i / (count - 1), so the first and last
// banks are the ends of the control's travel.
double BankValue(const std::vector<float>& banks, bool interpolate, double p) noexcept {
    const size_t count = banks.size();
    if (count == 1) return banks[0];
    const double x = Fraction01(p) * static_cast<double>(count - 1);
    if (!interpolate) return banks[std::min(static_cast<size_t>(x + 0.5), count - 1)];
    const size_t i = std::min(static_cast<size_t>(x), count - 2);
    const double f = x - static_cast<double>(i);
    return banks[i] + (banks[i + 1] - banks[i]) * f;
}

bool IsHexDigit(char16_t c) noexcept {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

[[noreturn]] void RaiseBadBanks() { YRaise("Value doesn't have correct format."); }

} // namespace

const char* YMultiParameter::ModeName(int32_t mode) noexcept {
    return mode >= 0 && mode < kModeCount ? kModeNames[mode] : nullptr;
}

const char* YMultiParameter::ValueModeName(int32_t mode) noexcept {
    return mode >= 0 && mode < kValueModeCount ? kValueModeNames[mode] : nullptr;
}

YMultiParameter::YMultiParameter(const YPositionCurveFactory* curves) : m_curves(curves) {}

void YMultiParameter::ResetToDefaults() {
    const YPositionCurveFactory* curves = m_curves;
    const double rate = m_sampleRate;
    *this = YMultiParameter(curves);
    m_sampleRate = rate;
}

void YMultiParameter::SetBankCount(int32_t count) {
    m_bankCount = std::clamp(count, 1, kMaxBankCount);
    for (YMultiParameterTarget& target : Targets)
        target.Banks.resize(static_cast<size_t>(m_bankCount), static_cast<float>(target.Range.Value));
}

// ---------------------------------------------------------------------------------------------
// Host parameter

void YMultiParameter::SetHostValue(double x, YParameterSetter& setter) noexcept {
    if (Mode == kMultiParameterSwitch || Mode == kMultiParameterTrigger) {
        SetSwitch(x >= 0.5);
        return;
    }
    m_value = Fraction01(x);
    Apply(setter);
}

YString YMultiParameter::ValueText(const YParameterLookup& lookup) const {
    if (ValueMode == kMultiParameterByFirstParameter && !Targets.empty() && Targets[0].ParameterIndex >= 0)
        return lookup.ParameterValueText(Targets[0].ParameterIndex);
    return YValuePercents::Text(m_value);
}

// ---------------------------------------------------------------------------------------------
// Targets

double YMultiParameter::TargetValue(size_t i, double p) const noexcept {
    if (i >= Targets.size()) return 0.0;
    const YMultiParameterTarget& target = Targets[i];
    p = Fraction01(p);
    if (Mode == kMultiParameterBanks) {
        if (target.Banks.empty()) return Fraction01(target.Range.Value);
        return Fraction01(BankValue(target.Banks, target.Interpolate, p));
    }
    if (target.ShapeEnabled && target.Shape) p = target.Shape->Evaluate(p);
    const YRange& range = target.UseFirstRange ? Targets[0].Range : target.Range;
    return Fraction01(range.MapPosition(p));
}

void YMultiParameter::Apply(YParameterSetter& setter) const noexcept {
    for (size_t i = 0; i < Targets.size(); ++i) {
        const YMultiParameterTarget& target = Targets[i];
        if (target.ParameterEnabled && target.ParameterIndex >= 0)
            setter.SetParameter(target.ParameterIndex, TargetValue(i, m_value));
    }
}

void YMultiParameter::Resolve(const YParameterLookup& lookup) {
    for (YMultiParameterTarget& target : Targets)
        target.ParameterIndex = target.ParameterName.IsEmpty() ? -1 : lookup.FindParameter(target.ParameterName);
}

std::unique_ptr<YPositionCurve> YMultiParameter::EditShape(size_t i) const {
    if (i >= Targets.size()) YRaise("Index out of range.");
    if (Targets[i].Shape) return Targets[i].Shape->Clone();
    return m_curves != nullptr ? m_curves->CreateCurve() : nullptr;
}

void YMultiParameter::SetShape(size_t i, std::unique_ptr<YPositionCurve> curve) {
    if (i >= Targets.size()) YRaise("Index out of range.");
    Targets[i].Shape = std::move(curve);
}

// ---------------------------------------------------------------------------------------------
// Movements

void YMultiParameter::SetSampleRate(double rate) noexcept {
    if (rate > 0.0 && std::isfinite(rate)) m_sampleRate = rate;
}

void YMultiParameter::SetSwitch(bool on) noexcept {
    if (on && !m_switchOn) m_triggerPending = true;
    m_switchOn = on;
}

bool YMultiParameter::NeedsFineSteps() const noexcept {
    switch (Mode) {
    case kMultiParameterSwitch:
        return m_movement != Movement::kIdle || (m_switchOn ? m_value < 1.0 : m_value > 0.0);
    case kMultiParameterTrigger:
        return m_movement != Movement::kIdle || m_triggerPending;
    default:
        return false;
    }
}

void YMultiParameter::StartMovement(Movement movement) noexcept {
    m_movement = movement;
    m_movementStart = m_value;
    m_movementFrames = 0;
}

double YMultiParameter::PositionAt(int64_t frames) const noexcept {
    const double length = SwitchTime * m_sampleRate; // frames for the whole travel
    const double k = length > 0.0 ? static_cast<double>(frames) / length : 2.0;
    switch (m_movement) {
    case Movement::kRising:
        return std::min(1.0, m_movementStart + k);
    case Movement::kFalling:
        return std::max(0.0, m_movementStart - k);
    case Movement::kTriangle: {
        const double up = m_movementStart + k;
        return up <= 1.0 ? up : std::max(0.0, 2.0 - up);
    }
    default:
        return m_value;
    }
}

bool YMultiParameter::PositionRising(int64_t frames) const noexcept {
    const double length = SwitchTime * m_sampleRate;
    return length > 0.0 && m_movementStart + static_cast<double>(frames) / length < 1.0;
}

void YMultiParameter::Advance(int32_t frames, YParameterSetter& setter) noexcept {
    if (Mode == kMultiParameterSwitch) {
        if (m_switchOn && m_movement != Movement::kRising && m_value < 1.0) StartMovement(Movement::kRising);
        if (!m_switchOn && m_movement != Movement::kFalling && m_value > 0.0) StartMovement(Movement::kFalling);
    } else if (Mode == kMultiParameterTrigger) {
        // Each press runs 0 → 1 → 0 from wherever the value is; releases do nothing.
        if (m_triggerPending) StartMovement(Movement::kTriangle);
    } else {
        m_movement = Movement::kIdle;
    }
    m_triggerPending = false;
    if (m_movement == Movement::kIdle || frames <= 0) return;

    const int64_t before = m_movementFrames;
    m_movementFrames += frames;
    double position = PositionAt(m_movementFrames);
    // A press must reach the top even when no step ends exactly there: the step that passes
    // it plays the top, and the way down goes on from the true time.
    if (m_movement == Movement::kTriangle && PositionRising(before) && !PositionRising(m_movementFrames))
        position = 1.0;
    // A triangle reaches 0 only on its way down, since every movement advances at least a frame.
    const bool ended = m_movement == Movement::kRising ? position >= 1.0 : position <= 0.0;
    if (position != m_value) {
        m_value = position;
        Apply(setter);
    }
    if (ended) m_movement = Movement::kIdle;
}

// ---------------------------------------------------------------------------------------------
// Learn

void YMultiParameter::StartLearn(bool clearFirst) {
    if (clearFirst) Targets.clear();
    m_learnedIndices.clear();
    m_learning = true;
}

void YMultiParameter::LearnParameterMoved(int32_t index, const YString& name, double before, double after) {
    if (!m_learning || index < 0) return;
    auto it = std::find_if(Targets.begin(), Targets.end(),
                           [&](const YMultiParameterTarget& t) { return t.ParameterIndex == index; });
    const bool firstMove = std::find(m_learnedIndices.begin(), m_learnedIndices.end(), index) == m_learnedIndices.end();
    if (it == Targets.end()) {
        YMultiParameterTarget target;
        target.ParameterName = name;
        target.ParameterIndex = index;
        target.Banks.assign(static_cast<size_t>(m_bankCount), static_cast<float>(Fraction01(before)));
        Targets.push_back(std::move(target));
        it = Targets.end() - 1;
    }
    if (firstMove) {
        m_learnedIndices.push_back(index);
        it->Range.Mode = kRangeInterval;
        it->Range.Invert = false;
        it->UseFirstRange = false;
        it->Range.Value = Fraction01(before);
    }
    it->Range.MaxValue = Fraction01(after);
}

// ---------------------------------------------------------------------------------------------
// Stored form

YString YMultiParameter::EncodeBanks(const std::vector<float>& banks) {
    YMemoryStream text;
    {
        YHexaStream hex(text);
        YZLibStream zlib(hex, YZLibStream::kCompress, 100);
        for (const float value : banks) {
            uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                                      static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
            zlib.Write(bytes, 4);
        }
        zlib.Terminate();
    }
    const auto* data = reinterpret_cast<const char*>(text.GetData());
    return YString::FromLatin1(std::string_view(data, static_cast<size_t>(text.GetSize())));
}

std::vector<float> YMultiParameter::DecodeBanks(const YString& text, int32_t count, float fill) {
    count = std::clamp(count, 1, kMaxBankCount);
    const YString trimmed = text.Trimmed();
    if (trimmed.Length() % 2 != 0) RaiseBadBanks();
    std::string ascii(static_cast<size_t>(trimmed.Length()), '\0');
    for (int32_t i = 0; i < trimmed.Length(); ++i) {
        if (!IsHexDigit(trimmed[i])) RaiseBadBanks();
        ascii[static_cast<size_t>(i)] = static_cast<char>(trimmed[i]);
    }
    std::vector<float> banks(static_cast<size_t>(count), fill);
    uint8_t bytes[kMaxBankCount * 4];
    int32_t got = 0;
    try {
        YMemoryStream source(ascii.data(), static_cast<int32_t>(ascii.size()));
        YHexaStream hex(source);
        YZLibStream zlib(hex, YZLibStream::kDecompress);
        // Never more than the banks need, however much the text would inflate to.
        while (got < count * 4) {
            const int32_t n = zlib.Read(bytes + got, count * 4 - got);
            if (n <= 0) break;
            got += n;
        }
    } catch (const YException&) {
        RaiseBadBanks();
    }
    for (int32_t i = 0; i < got / 4; ++i) {
        const uint8_t* b = bytes + 4 * i;
        const uint32_t bits = b[0] | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        banks[static_cast<size_t>(i)] = std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : fill;
    }
    return banks;
}

void YMultiParameter::StoreTarget(const YStorer& storer, YMultiParameterTarget& target) {
    storer.Bool("ParameterEnabled", target.ParameterEnabled, true);
    Text(storer, "ParameterName", target.ParameterName, false);
    Fraction(storer, "Value", target.Range.Value, 0.5);
    Fraction(storer, "MaxValue", target.Range.MaxValue, 1.0);
    Fraction(storer, "Range", target.Range.Range, 1.0);
    storer.Integer("FullRange", target.Range.Mode, kRangeUpAndDown);
    storer.Bool("Invert", target.Range.Invert, false);
    storer.Bool("UseFirstRange", target.UseFirstRange, false);
    storer.Bool("ShapeEnabled", target.ShapeEnabled, false);
    const bool banks = Mode == kMultiParameterBanks;
    const auto fill = static_cast<float>(target.Range.Value);

    if (storer.IsWriting()) {
        if (target.Shape && !target.Shape->IsIdentity()) {
            auto curve = target.Shape->Clone();
            curve->Store(storer.Child("Shape"));
        }
        if (banks) {
            storer.Bool("Interpolate", target.Interpolate, false);
            target.Banks.resize(static_cast<size_t>(m_bankCount), fill);
            storer.Item->SetText(EncodeBanks(target.Banks));
        }
        return;
    }

    target.Range.Mode = YRange::ClampMode(target.Range.Mode);
    target.Shape = nullptr;
    if (YXMLItem* shape = storer.Item->FindChild("Shape"); shape != nullptr && m_curves != nullptr) {
        std::unique_ptr<YPositionCurve> curve = m_curves->CreateCurve();
        curve->Store(YStorer{false, shape});
        if (!curve->IsIdentity()) target.Shape = std::move(curve);
    }
    storer.Bool("Interpolate", target.Interpolate, false);
    target.Banks.assign(static_cast<size_t>(m_bankCount), fill);
    const YString& text = storer.Item->GetText();
    if (!banks || text.Trimmed().IsEmpty()) return;
    try {
        target.Banks = DecodeBanks(text, m_bankCount, fill);
    } catch (const YException& e) {
        m_loadProblem = e.Message();
    }
}

void YMultiParameter::Store(const YStorer& storer) {
    if (storer.Item == nullptr) return;
    const bool reading = storer.IsReading();
    if (reading) m_loadProblem = YString();
    Text(storer, "Name", Name, true);
    BoolOmitted(storer, "Enabled", Enabled, false);
    Text(storer, "Group", Group, true);
    Text(storer, "Info", Info, true);
    EnumName(storer, "Mode", Mode, kModeNames, kModeCount, kMultiParameterNormal);
    EnumName(storer, "ValueMode", ValueMode, kValueModeNames, kValueModeCount, kMultiParameterPercents);
    DoubleOmitted(storer, "SwitchTime", SwitchTime, 1.0);
    // An endless travel would never end its movement and keep asking for fine sub-blocks.
    if (reading && !(SwitchTime >= 0.0 && std::isfinite(SwitchTime))) SwitchTime = 1.0;
    storer.DoubleIfPresent("Value", m_value);
    m_value = Fraction01(m_value);
    Fraction(storer, "DefaultValue", DefaultValue, 0.5);
    if (Mode == kMultiParameterBanks) {
        storer.Integer("BankCount", m_bankCount, 4);
        m_bankCount = std::clamp(m_bankCount, 1, kMaxBankCount);
    } else if (reading) {
        m_bankCount = 4;
    } else {
        storer.Item->RemoveAttribute("BankCount");
    }

    if (!reading) {
        while (YXMLItem* old = storer.Item->FindChild("Parameter")) storer.Item->RemoveChild(*old);
        for (YMultiParameterTarget& target : Targets) StoreTarget(YStorer{true, &storer.Item->AddChild("Parameter")}, target);
        return;
    }
    Targets.clear();
    for (YXMLItem::Iterator it(*storer.Item, "Parameter"); it.IsValid(); it.Next()) {
        YMultiParameterTarget target;
        StoreTarget(YStorer{false, &*it}, target);
        Targets.push_back(std::move(target));
    }
    // A loaded value stands still until the switch moves it again.
    m_movement = Movement::kIdle;
    m_triggerPending = false;
    m_switchOn = m_value >= 0.5 && Mode == kMultiParameterSwitch;
}
