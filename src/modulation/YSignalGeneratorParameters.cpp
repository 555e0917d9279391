#include "modulation/YSignalGeneratorParameters.h"

#include "core/YValue.h"
#include "modulation/YSignalGenerator.h"
#include "modulation/YSignalShapeBank.h"

#include <algorithm>
#include <cmath>

namespace {

using Value = YSignalGeneratorValue;
using Display = YSignalGeneratorValue::Text;

// Values of −1 ... 1 travel as (v + 1) / 2.
double FromBipolar(double v) { return (v + 1.0) * 0.5; }
double ToBipolar(double x) { return x * 2.0 - 1.0; }

const Value kShape[] = {{"Shape", [](const YSignalGenerator& g, int32_t) { return g.GetValue() / 15.0; },
                         [](YSignalGenerator& g, int32_t, double x) { g.SetValue(x * 15.0); },
                         YSignalGenerator::kDefaultValue / 15.0, Display::Shape, 0}};

const Value kCustomMorph[] = {
    {"Custom morph", [](const YSignalGenerator& g, int32_t) { return g.GetEnvelopeDepth(); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetEnvelopeDepth(x); }, 0.0, Display::Percent, 0}};

const Value kStepSequencer[] = {
    {"Step sequencer", [](const YSignalGenerator& g, int32_t) { return g.GetStepDepth(); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetStepDepth(x); }, 0.0, Display::Percent, 0}};

const Value kSmoothness[] = {
    {"Smoothness", [](const YSignalGenerator& g, int32_t) { return g.GetSmoothness(); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetSmoothness(x); }, 0.0, Display::Percent, 0}};

const Value kTransformations[] = {
    {"Phase", [](const YSignalGenerator& g, int32_t) { return FromBipolar(g.GetPhase()); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetPhase(ToBipolar(x)); }, 0.5, Display::BipolarCycles,
     0},
    {"Skew", [](const YSignalGenerator& g, int32_t) { return FromBipolar(g.GetSkew()); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetSkew(ToBipolar(x)); }, 0.5, Display::BipolarPercent,
     0},
    {"Full skew", [](const YSignalGenerator& g, int32_t) { return FromBipolar(g.GetFullSkew()); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetFullSkew(ToBipolar(x)); }, 0.5,
     Display::BipolarPercent, 0},
    {"Halve", [](const YSignalGenerator& g, int32_t) { return FromBipolar(g.GetHalve()); },
     [](YSignalGenerator& g, int32_t, double x) { g.SetHalve(ToBipolar(x)); }, 0.5, Display::BipolarPercent,
     0},
};

double HarmonicAmount(const YSignalGenerator& g, int32_t m) { return FromBipolar(g.GetHarmonic(m)); }
void SetHarmonicAmount(YSignalGenerator& g, int32_t m, double x) { g.SetHarmonic(m, ToBipolar(x)); }
double HarmonicPhase(const YSignalGenerator& g, int32_t m) { return g.GetHarmonicPhase(m); }
void SetHarmonicPhase(YSignalGenerator& g, int32_t m, double x) { g.SetHarmonicPhase(m, x); }

const Value kHarmonics[] = {
    {"Harmonic 2", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 2},
    {"Harmonic 2 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 2},
    {"Harmonic 3", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 3},
    {"Harmonic 3 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 3},
    {"Harmonic 4", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 4},
    {"Harmonic 4 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 4},
    {"Harmonic 5", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 5},
    {"Harmonic 5 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 5},
    {"Harmonic 6", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 6},
    {"Harmonic 6 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 6},
    {"Harmonic 7", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 7},
    {"Harmonic 7 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 7},
    {"Harmonic 8", HarmonicAmount, SetHarmonicAmount, 0.5, Display::BipolarPercent, 8},
    {"Harmonic 8 phase", HarmonicPhase, SetHarmonicPhase, 0.0, Display::Cycles, 8},
};

template <size_t Count> constexpr int32_t CountOf(const Value (&)[Count]) {
    return static_cast<int32_t>(Count);
}

YString ShapeText(double position) {
    position = std::clamp(position, 0.0, 15.0);
    const double nearest = std::round(position);
    if (std::fabs(position - nearest) < 1e-6)
        return YString::Literal(YSignalShapeBank::ShapeName(static_cast<int32_t>(nearest)));
    const auto lower = static_cast<int32_t>(position);
    YString text = YString::Literal(YSignalShapeBank::ShapeName(lower));
    text += YString(" / ");
    text += YString::Literal(YSignalShapeBank::ShapeName(lower + 1));
    text += YString(" ");
    text += YValuePercents::Text(position - lower);
    return text;
}

YString DisplayText(const Value& value, double normalized) {
    switch (value.Display) {
    case Display::Shape:
        return ShapeText(normalized * 15.0);
    case Display::Percent:
        return YValuePercents::Text(normalized);
    case Display::BipolarPercent:
        return YValuePercents::Text(ToBipolar(normalized));
    case Display::Cycles:
        return YValueDegreesFrom01::Text(normalized);
    case Display::BipolarCycles:
        return YValueDegreesFrom01::Text(ToBipolar(normalized));
    }
    return YString();
}

} // namespace

YSignalGeneratorParameterBase::YSignalGeneratorParameterBase(const ParameterAdapterSetup& setup,
                                                             YSignalGenerator& generator,
                                                             const YSignalGeneratorValue* values,
                                                             int32_t count)
    : ParameterSpecialBase(setup, generator), m_values(values) {
    SetIndexCount(count);
}

const YSignalGeneratorValue* YSignalGeneratorParameterBase::Value(int32_t local) const noexcept {
    return local >= 0 && local < IndexCount() ? &m_values[local] : nullptr;
}

void YSignalGeneratorParameterBase::SetParameter(int32_t local, double normalized, bool silent) {
    const YSignalGeneratorValue* value = Value(local);
    if (value == nullptr || std::isnan(normalized)) return;
    {
        YScopedLock hold(SpecialObject().Lock());
        value->Set(SpecialObject(), value->Harmonic, std::clamp(normalized, 0.0, 1.0));
    }
    if (!silent) NotifyChanged(local);
}

double YSignalGeneratorParameterBase::GetParameter(int32_t local) {
    const YSignalGeneratorValue* value = Value(local);
    return value ? value->Get(SpecialObject(), value->Harmonic) : 0.0;
}

void YSignalGeneratorParameterBase::GetParameterName(YString& out, int32_t local) {
    const YSignalGeneratorValue* value = Value(local);
    out = value ? YString::Literal(value->Name) : YString();
}

void YSignalGeneratorParameterBase::GetParameterValueName(YString& out, int32_t local) {
    const YSignalGeneratorValue* value = Value(local);
    out = value ? DisplayText(*value, value->Get(SpecialObject(), value->Harmonic)) : YString();
}

void YSignalGeneratorParameterBase::GetParameterValueNameFrom01(YString& out, int32_t local,
                                                                double normalized) {
    const YSignalGeneratorValue* value = Value(local);
    out =
        value && !std::isnan(normalized) ? DisplayText(*value, std::clamp(normalized, 0.0, 1.0)) : YString();
}

double YSignalGeneratorParameterBase::GetParameterDefaultValue(int32_t local) {
    const YSignalGeneratorValue* value = Value(local);
    return value ? value->DefaultNormalized : 0.0;
}

void YSignalGeneratorParameterBase::Randomize(double amount, bool force) {
    if ((!force && !IsRandomizable()) || std::isnan(amount)) return;
    for (int32_t i = 0; i < IndexCount(); ++i) {
        const double r = YSharedRandom::Next();
        const double x = amount >= 1.0 ? r : std::clamp(GetParameter(i) + (r - 0.5) * 2.0 * amount, 0.0, 1.0);
        SetParameter(i, x, false);
    }
}

YSignalGeneratorShapeParameter::YSignalGeneratorShapeParameter(const ParameterAdapterSetup& setup,
                                                               YSignalGenerator& generator)
    : YSignalGeneratorParameterBase(setup, generator, kShape, CountOf(kShape)) {}

YSignalGeneratorCustomMorphParameter::YSignalGeneratorCustomMorphParameter(const ParameterAdapterSetup& setup,
                                                                           YSignalGenerator& generator)
    : YSignalGeneratorParameterBase(setup, generator, kCustomMorph, CountOf(kCustomMorph)) {}

YSignalGeneratorStepSequencerParameter::YSignalGeneratorStepSequencerParameter(
    const ParameterAdapterSetup& setup, YSignalGenerator& generator)
    : YSignalGeneratorParameterBase(setup, generator, kStepSequencer, CountOf(kStepSequencer)) {}

YSignalGeneratorSmoothnessParameter::YSignalGeneratorSmoothnessParameter(const ParameterAdapterSetup& setup,
                                                                         YSignalGenerator& generator)
    : YSignalGeneratorParameterBase(setup, generator, kSmoothness, CountOf(kSmoothness)) {}

YSignalGeneratorTransformationsParameter::YSignalGeneratorTransformationsParameter(
    const ParameterAdapterSetup& setup, YSignalGenerator& generator)
    : YSignalGeneratorParameterBase(setup, generator, kTransformations, CountOf(kTransformations)) {}

YSignalGeneratorHarmonicsParameter::YSignalGeneratorHarmonicsParameter(const ParameterAdapterSetup& setup,
                                                                       YSignalGenerator& generator)
    : YSignalGeneratorParameterBase(setup, generator, kHarmonics, CountOf(kHarmonics)) {}
