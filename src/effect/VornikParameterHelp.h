// The flanger's help texts, one per parameter, in the markup the editor's help view reads
// (<name> marks the parameter's own name).
#pragma once

namespace VornikParameterHelp {

inline constexpr char kMode[] =
    "<name>Mode</name> determines the way flange effect is performed. Default mode works by mixing "
    "slightly variably delayed signal with the original. Tape modes, also known as through-null, "
    "delay the input signal appropriately as well. They simulate the original way flanging was "
    "performed using 2 tapes, tampering one with fingers.";
inline constexpr char kDepth[] = "<name>Depth</name> defines how powerful the effect is. Note that it also "
                                 "affects the amount of dry signal.";
inline constexpr char kRange[] = "<name>Range</name> defines flanging frequency delay line size.";
inline constexpr char kFeedback[] =
    "<name>Feedback</name> determines how much of the signal is returned to the "
    "input after the delay time.";
inline constexpr char kPhaseDifference[] =
    "<name>Phase difference</name> defines phase difference between particular channels. This is very "
    "simple and often practical way to accomplish some kind of stereo expansion.";
inline constexpr char kDelay[] = "<name>Delay</name> defines delay applied on the flanging signal.";
inline constexpr char kMinFrequency[] =
    "<name>Min frequency</name> defines minimal flanging signal frequency.";
inline constexpr char kMaxFrequency[] =
    "<name>Max frequency</name> defines maximal flanging signal frequency.";
inline constexpr char kJet[] =
    "<name>Jet</name> defines how powerful additional tremolo effect is. It affects "
    "which part of the flaging signal is passed.";
inline constexpr char kJetPhase[] =
    "<name>Jet phase</name> defines phase offset of the tremolo generator to the "
    "flange shape generator.";
inline constexpr char kSaturation[] =
    "<name>Saturation</name> defines amount of saturation applied on the flanging signal.";

} // namespace VornikParameterHelp
