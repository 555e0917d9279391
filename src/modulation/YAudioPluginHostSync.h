// Host synchronisation of an LFO: four parameters (switch, note length, note type, phase) and
// the number of LFO cycles per whole note they select.
#pragma once

#include "core/PluginParameter.h"
#include "foundation/YObject.h"

#include <cstdint>

class YAudioPluginHostSyncBase : public YObject {
public:
    ~YAudioPluginHostSyncBase() override;
    // Recomputes the cycles per whole note from the length and type parameters.
    virtual void UpdateFactor() = 0;
    // Phase offset in cycles at the start of a bar.
    virtual double PhaseOffset() const = 0;
};

class YAudioPluginHostSync : public YAudioPluginHostSyncBase {
public:
    static constexpr int32_t kLengthCount = 15;
    static constexpr int32_t kTypeCount = 4;
    static const char* const kLengthNames[kLengthCount];     // "128" ... "1 / 128"
    static const char* const kLongLengthNames[kLengthCount]; // "64" ... "1 / 256"
    static const char* const kTypeNames[kTypeCount];         // "Straight", "Triplets", ...
    static const double kTypeMultipliers[kTypeCount];

    YAudioPluginHostSync();

    // Fills the four records (IDs start with prefix) and remembers them. The long list reaches
    // "1 / 256" instead of "128".
    void DefineParameters(PluginParameter& syncSwitch, PluginParameter& length, PluginParameter& type,
                          PluginParameter& phase, const YString& prefix = YString(), bool longList = false);

    void UpdateFactor() override;
    double PhaseOffset() const override;

    // Synchronisation on: the state byte of the switch record.
    bool IsEnabled() const noexcept { return m_enabled != 0; }
    void SetEnabled(bool on) noexcept { m_enabled = on ? 1 : 0; }
    // LFO cycles per whole note.
    double Factor() const noexcept { return m_factor; }
    bool IsLongList() const noexcept { return m_longList; }

    PluginParameter* SwitchRecord() const noexcept { return m_links[0]; }
    PluginParameter* LengthRecord() const noexcept { return m_links[1]; }
    PluginParameter* TypeRecord() const noexcept { return m_links[2]; }
    PluginParameter* PhaseRecord() const noexcept { return m_links[3]; }

private:
    // Index of "1" in the active length list: one cycle per whole note.
    int32_t WholeNoteIndex() const noexcept { return m_longList ? 6 : 7; }

    uint8_t m_enabled = 0;
    double m_factor = 1.0;
    PluginParameter* m_links[4] = {};
    bool m_longList = false;
};
