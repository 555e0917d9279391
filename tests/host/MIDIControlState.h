// A state that puts MIDI control to use, loaded by the MIDI host tests through each entry's own
// state call (plain XML: the plug-in takes it as well as its compressed form). Every slot drives
// a parameter of its own, so each test can tell which slot reacted.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace MIDIControlState {

// Controller slots keep their defaults (Up only, Value 0, Range 1): a value v sets v.
inline constexpr const char* kChannelThreeTarget = "Depth";  // controller 74 on channel 3
inline constexpr const char* kAnyChannelTarget = "Feedback"; // controller 75 on any channel
inline constexpr const char* kAftertouchTarget = "Jet";      // channel aftertouch, any channel
inline constexpr const char* kPitchBendTarget = "Range";     // pitch-bend, any channel
inline constexpr const char* kSwitchTarget = "Saturation";   // key 60 toggles 0.2 / 0.8
inline constexpr const char* kPitchTarget = "Delay";         // logarithmic position of the last key
inline constexpr double kSwitchOff = 0.2;
inline constexpr double kSwitchOn = 0.8;

inline std::vector<uint8_t> Bytes() {
    const std::string xml = "<settings ControllersEnabled=\"1\" NoteControllersEnabled=\"1\">"
                            "<Controllers>"
                            "<Controller0 Enabled=\"1\" ParameterName=\"Depth\" Channel=\"3\" Controller=\"74\"/>"
                            "<Controller1 Enabled=\"1\" ParameterName=\"Feedback\" Channel=\"0\" Controller=\"75\"/>"
                            "<Controller2 Enabled=\"1\" ParameterName=\"Jet\" Channel=\"0\" Controller=\"128\"/>"
                            "<Controller3 Enabled=\"1\" ParameterName=\"Range\" Channel=\"0\" Controller=\"129\"/>"
                            "</Controllers>"
                            "<NoteControllers>"
                            "<NoteController0 Enabled=\"1\" ParameterName=\"Saturation\" Mode=\"4\" Note=\"60\" "
                            "Value=\"0.2\" MaxValue=\"0.8\"/>"
                            "<NoteController1 Enabled=\"1\" ParameterName=\"Delay\" Mode=\"1\"/>"
                            "</NoteControllers>"
                            "</settings>";
    return std::vector<uint8_t>(xml.begin(), xml.end());
}

// Key 60 sounds at 523.2511 Hz; the logarithmic mode spreads 20 Hz ... 20 kHz over 0 ... 1.
inline double LogPositionOfKey60() { return (std::log10(523.2511) - std::log10(20.0)) / 3.0; }

} // namespace MIDIControlState
