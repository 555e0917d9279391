// The flanger's own parameters as one table: DefineParameters walks it in order. The host
// synchronisation records and the shape follow from the modulation base.
#pragma once

#include "core/PluginParameter.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "effect/VornikParameterHelp.h"
#include "foundation/YString.h"

#include <cstdint>

struct VornikParameterRecord {
    int32_t Index; // VornikAudioEffectPlugin::ParameterIndex
    YString ID;    // the state's attribute name: never changes
    YString Name;
    // Floats: range, default and shape; the enumeration (Mode) takes its default from Default
    // and its names from VornikAudioEffectPlugin::kModeNames.
    ParameterKind Kind;
    double Min, Max, Default;
    ParameterShape Shape;
    ParameterTextFunction Text;
    bool Interpolable; // ramped across a block by the frame
    bool MarkOwner;    // a change marks the active settings slot as edited
    bool Randomizable;
    int32_t Group; // UserInts[0] and [1] when not 0
    YString Help;
};

namespace VornikParameters {

// Frequencies are stored as log10 of Hz.
inline constexpr double kLog10Of20Hz = 1.3010299956639813;
inline constexpr double kLog10Of20kHz = 4.301029995663981;
inline constexpr double kLog10Of40Hz = 1.6020599913279625;

using P = VornikAudioEffectPlugin;
namespace Help = VornikParameterHelp;

inline const VornikParameterRecord kTable[] = {
    // Index, ID, Name, Kind, Min, Max, Default, Shape, Text, Interpolable, MarkOwner, Randomizable, Group,
    // Help
    {P::kMode, "Mode", "Mode", kParameterEnum, 0.0, 0.0, P::kModeDefault, kShapeLinear, nullptr, false, true,
     true, 2, Help::kMode},
    {P::kDepth, "Depth", "Depth", kParameterFloat, -2.0, 2.0, 1.0, kShapeLinear, ParameterTextDryWet, false,
     false, true, 0, Help::kDepth},
    {P::kRange, "Range2", "Range", kParameterFloat, 0.0, P::kMaximumRangeSeconds, 0.0008, kShapeSquare,
     ParameterTextTime, false, true, true, 0, Help::kRange},
    {P::kFeedback, "Feedback", "Feedback", kParameterFloat, -1.0, 1.0, 0.0, kShapeLinear,
     ParameterTextPercent, false, false, true, 0, Help::kFeedback},
    {P::kPhaseDifference, "phasediff", "Phase difference", kParameterFloat, -1.0, 1.0, 0.0, kShapeLinear,
     ParameterTextDegrees, true, false, true, 0, Help::kPhaseDifference},
    {P::kDelay, "Delay", "Delay", kParameterFloat, 0.0, 0.02, 0.0, kShapeLinear, ParameterTextTime, true,
     true, true, 3, Help::kDelay},
    {P::kMinFrequency, "MinFreq", "Min frequency", kParameterFloat, kLog10Of20Hz, kLog10Of20kHz, kLog10Of40Hz,
     kShapeLinear, ParameterTextFrequency, true, true, false, 0, Help::kMinFrequency},
    {P::kMaxFrequency, "MaxFreq", "Max frequency", kParameterFloat, kLog10Of20Hz, kLog10Of20kHz,
     kLog10Of20kHz, kShapeLinear, ParameterTextFrequency, true, true, false, 0, Help::kMaxFrequency},
    {P::kJet, "TremoloDepth", "Jet", kParameterFloat, -1.0, 1.0, 0.0, kShapeLinear, ParameterTextPercent,
     false, false, true, 0, Help::kJet},
    {P::kJetPhase, "TremoloPhase", "Jet phase", kParameterFloat, 0.0, 1.0, 0.0, kShapeLinear,
     ParameterTextDegrees, false, false, true, 0, Help::kJetPhase},
    {P::kSaturation, "Saturation", "Saturation", kParameterFloat, 0.0, 1.0, 0.0, kShapeLinear,
     ParameterTextPercent, false, true, true, 0, Help::kSaturation},
};

} // namespace VornikParameters
