// YPresetNavigation: what the frame knows of whoever carries out its queued preset steps. The
// frame only queues steps (the preset triggers, the MIDI preset switch) on the audio thread;
// the layer that keeps the presets implements this, and the frame owns the object so that it
// lives exactly as long as the plug-in it serves.
#pragma once

class YPresetNavigation {
public:
    // Must stop every use of the plug-in before it returns: the plug-in is still whole then.
    virtual ~YPresetNavigation() = default;

    // Audio thread (or any other), after preset steps were queued or deferred work was left
    // (the frame's RunDeferredWork): a wake-up only. Must not allocate, block or call the host.
    virtual void PresetStepQueued() noexcept = 0;
};
