#include "modulation/YAudioPluginHostSync.h"

#include <algorithm>
#include <cmath>

YAudioPluginHostSyncBase::~YAudioPluginHostSyncBase() = default;

const char* const YAudioPluginHostSync::kLengthNames[kLengthCount] = {
    "128",   "64",    "32",    "16",     "8",      "4",      "2",       "1",
    "1 / 2", "1 / 4", "1 / 8", "1 / 16", "1 / 32", "1 / 64", "1 / 128",
};

const char* const YAudioPluginHostSync::kLongLengthNames[kLengthCount] = {
    "64",    "32",    "16",     "8",      "4",      "2",       "1",       "1 / 2",
    "1 / 4", "1 / 8", "1 / 16", "1 / 32", "1 / 64", "1 / 128", "1 / 256",
};

const char* const YAudioPluginHostSync::kTypeNames[kTypeCount] = {"Straight", "Triplets", "Dotted",
                                                                  "Tuplets"};

const double YAudioPluginHostSync::kTypeMultipliers[kTypeCount] = {1.0, 1.5, 1.3333333333333333, 1.25};

YAudioPluginHostSync::YAudioPluginHostSync() { UpdateFactor(); }

void YAudioPluginHostSync::DefineParameters(PluginParameter& syncSwitch, PluginParameter& length,
                                            PluginParameter& type, PluginParameter& phase,
                                            const YString& prefix, bool longList) {
    m_longList = longList;
    m_links[0] = &syncSwitch;
    m_links[1] = &length;
    m_links[2] = &type;
    m_links[3] = &phase;

    syncSwitch.DefineGroup(prefix + YString("sync"), "Synchronization", &m_enabled);
    syncSwitch.Description =
        "<name>Synchronization panel</name> contains parameters for to-host synchronization.";
    syncSwitch.UserInts[0] = syncSwitch.UserInts[1] = syncSwitch.UserInts[2] = 3;

    // "1 / 4" by default in either list.
    length.DefineEnum(prefix + YString("synclength__"), "Length", longList ? kLongLengthNames : kLengthNames,
                      kLengthCount, WholeNoteIndex() + 2);
    length.Description = "<name>Length</name> defines note length, therefore speed.";

    type.DefineEnum(prefix + YString("synctype"), "Type", kTypeNames, kTypeCount, 0);
    type.Description = "<name>Type</name> defines note type, such as straight notes or triplets.";

    phase.DefineFloat(prefix + YString("syncphase"), "Phase", 0.0, 1.0, 0.25);
    phase.TextFunction = ParameterTextDegrees;
    phase.Description = "<name>Phase</name> defines phase offset of the to-host synchronization.";

    UpdateFactor();
}

void YAudioPluginHostSync::UpdateFactor() {
    int32_t length = LengthRecord() != nullptr ? LengthRecord()->Enum.Value : WholeNoteIndex() + 2;
    int32_t type = TypeRecord() != nullptr ? TypeRecord()->Enum.Value : 0;
    length = std::clamp(length, 0, kLengthCount - 1);
    type = std::clamp(type, 0, kTypeCount - 1);
    m_factor = std::ldexp(1.0, length - WholeNoteIndex()) * kTypeMultipliers[type];
}

double YAudioPluginHostSync::PhaseOffset() const {
    return PhaseRecord() != nullptr ? PhaseRecord()->Float.Value : 0.0;
}
