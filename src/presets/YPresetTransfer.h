// YPresetTransfer: moves settings between a plug-in and a preset item. A preset holds exactly
// what the host state holds, so both directions go through the plug-in's own state save and
// load (which take its locks, so processing never sees half a preset).
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

class YAudioPlugin;

class YPresetTransfer {
public:
    // Creates a preset of that name at the end of folder, or replaces the content of the first
    // one of that name where it stands, with the plug-in's current state. Raises when the
    // plug-in cannot save; the folder is then unchanged.
    static YXMLItem& StorePreset(YXMLItem& folder, const YString& name, YAudioPlugin& plugin);
    // Applies a preset (compressed or older inline form) to the plug-in. Damaged content
    // raises before anything reaches the plug-in; a state the plug-in refuses raises with its
    // reason.
    static void ApplyPreset(const YXMLItem& preset, YAudioPlugin& plugin);
};
